#include "transfer/ImportTable.h"

#include <algorithm>

#include "platform/crypto/SecureMemory.h"

ImportTable::~ImportTable() { SecureMemory::wipe(chars_); }

ImportTable::ImportTable(ImportTable&& other) noexcept
    : chars_(std::exchange(other.chars_, QString())),
      fieldEnds_(std::move(other.fieldEnds_)),
      rowEnds_(std::move(other.rowEnds_)),
      mappingWidth_(std::exchange(other.mappingWidth_, 0)) {
  other.fieldEnds_.clear();
  other.rowEnds_.clear();
}

ImportTable& ImportTable::operator=(ImportTable&& other) noexcept {
  if (this == &other) return *this;
  SecureMemory::wipe(chars_);
  chars_ = std::exchange(other.chars_, QString());
  fieldEnds_ = std::move(other.fieldEnds_);
  rowEnds_ = std::move(other.rowEnds_);
  other.fieldEnds_.clear();
  other.rowEnds_.clear();
  mappingWidth_ = std::exchange(other.mappingWidth_, 0);
  return *this;
}

QStringView ImportTable::field(qsizetype row, qsizetype column) const {
  const qsizetype index = rowStart(row) + column;
  const qsizetype start = index == 0 ? 0 : qsizetype(fieldEnds_[std::size_t(index - 1)]);
  const qsizetype end = qsizetype(fieldEnds_[std::size_t(index)]);
  return QStringView(chars_).sliced(start, end - start);
}

ImportTableBuilder::ImportTableBuilder(qsizetype textCapacity) {
  // Field texts never outgrow the text they come from: the block is never moved, so no
  // stray copy of them is left behind.
  table_.chars_.reserve(textCapacity);
}

qsizetype ImportTableBuilder::openFields() const {
  const qsizetype done = table_.rowEnds_.empty() ? 0 : qsizetype(table_.rowEnds_.back());
  return qsizetype(table_.fieldEnds_.size()) - done;
}

void ImportTableBuilder::discardOpenFields() {
  const qsizetype fields = table_.rowEnds_.empty() ? 0 : qsizetype(table_.rowEnds_.back());
  const qsizetype chars = fields == 0 ? 0 : qsizetype(table_.fieldEnds_[std::size_t(fields - 1)]);
  table_.fieldEnds_.resize(std::size_t(fields));
  // Wiped before it is cut off: the block keeps its capacity, and the next text overwrites
  // only as much as it needs.
  QString& text = table_.chars_;
  std::fill(text.data() + chars, text.data() + text.size(), QChar(0));
  text.truncate(chars);
}
