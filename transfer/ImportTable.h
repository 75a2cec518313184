#pragma once

#include <QString>
#include <QStringView>
#include <algorithm>
#include <vector>

// The rows of a parsed import file, each a list of field texts. All texts live in one block
// (wiped when the table goes: they are passwords and notes), rows and fields are offsets
// into it, so a large file costs a few bytes per field beyond its text.
class ImportTable {
 public:
  ImportTable() = default;
  ~ImportTable();
  ImportTable(ImportTable&& other) noexcept;
  ImportTable& operator=(ImportTable&& other) noexcept;
  ImportTable(const ImportTable&) = delete;
  ImportTable& operator=(const ImportTable&) = delete;

  qsizetype rowCount() const { return qsizetype(rowEnds_.size()); }
  qsizetype fieldCount(qsizetype row) const { return rowEnd(row) - rowStart(row); }
  QStringView field(qsizetype row, qsizetype column) const;
  // The most fields of any line, the number of columns the mapping offers.
  qsizetype mappingWidth() const { return mappingWidth_; }

 private:
  friend class ImportTableBuilder;

  qsizetype rowStart(qsizetype row) const {
    return row == 0 ? 0 : qsizetype(rowEnds_[std::size_t(row - 1)]);
  }
  qsizetype rowEnd(qsizetype row) const { return qsizetype(rowEnds_[std::size_t(row)]); }

  QString chars_;
  std::vector<quint32> fieldEnds_;  // offset in chars_ after each field
  std::vector<quint32> rowEnds_;    // index in fieldEnds_ after each row's last field
  qsizetype mappingWidth_ = 0;
};

// Builds a table: text is appended to the open field; a row holds the fields ended since the
// last row.
class ImportTableBuilder {
 public:
  explicit ImportTableBuilder(qsizetype textCapacity);
  void append(QStringView text) { table_.chars_.append(text); }
  void endField() { table_.fieldEnds_.push_back(quint32(table_.chars_.size())); }
  void endRow() { table_.rowEnds_.push_back(quint32(table_.fieldEnds_.size())); }
  // Fields ended since the last row.
  qsizetype openFields() const;
  // Drops the fields (and their text) since the last row.
  void discardOpenFields();
  void widenMapping(qsizetype width) {
    table_.mappingWidth_ = std::max(table_.mappingWidth_, width);
  }
  ImportTable finish() { return std::move(table_); }

 private:
  ImportTable table_;
};
