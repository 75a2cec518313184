#include "transfer/ZVDataExportManager.h"

#include <algorithm>
#include <numeric>

#include "platform/AtomicFile.h"
#include "platform/crypto/SecureMemory.h"

ZVDataExportManager::ZVDataExportManager(std::vector<DictRef> records, const ArrayRef& keyArray,
                                         QObject* parent)
    : QObject(parent), dataArray_(std::move(records)) {
  if (keyArray)
    for (const Value& entry : keyArray->values())
      if (DictRef dict = entry.toDictionary()) left_.append(std::move(dict));
}

QString ZVDataExportManager::extensionForFormat(qint32 format) {
  switch (format) {
    case ExportFileFormat::TSV:
      return QStringLiteral("tsv");
    case ExportFileFormat::QuotedCSV:
    case ExportFileFormat::PlainCSV:
      return QStringLiteral("csv");
    case ExportFileFormat::HTMLPage:
      return QStringLiteral("html");
    default:
      return QStringLiteral("txt");
  }
}

QString ZVDataExportManager::suggestedFileNameFor(const QString& displayName) {
  QString name = displayName;
  if (name.endsWith(QLatin1String(".qvlt"))) name.chop(5);
  return QStringLiteral("%1 Export").arg(name);
}

void ZVDataExportManager::setFileFormatToSave(qint32 format) {
  if (settings_.format == format) return;
  settings_.format = format;
  Q_EMIT fileFormatToSaveChanged();
}

void ZVDataExportManager::setUseFieldNamesAsFirstRow(bool use) {
  if (settings_.useFieldNamesAsFirstRow == use) return;
  settings_.useFieldNamesAsFirstRow = use;
  Q_EMIT useFieldNamesAsFirstRowChanged();
}

void ZVDataExportManager::setCustomStrings(const ExportCustomStrings& strings) {
  if (settings_.custom == strings) return;
  settings_.custom = strings;
  Q_EMIT customStringsChanged();
}

void ZVDataExportManager::setCustomFields(qint32 format) {
  setCustomStrings(ExportWriter::presetFor(format));
}

void ZVDataExportManager::moveEntries(FieldKeyList& from, std::vector<qsizetype> rows,
                                      FieldKeyList& to) {
  if (rows.empty()) return;
  std::vector<DictRef> moving;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) moving.push_back(from.takeAt(*row));
  const qsizetype first = to.count();
  for (auto entry = moving.rbegin(); entry != moving.rend(); ++entry) to.append(*entry);
  // The moved entries stay selected where they went; the source keeps a row selected
  // where the first of them was, so the button can be pressed again.
  std::vector<qsizetype> placed(moving.size());
  std::iota(placed.begin(), placed.end(), first);
  to.setSelectionIndexes(std::move(placed));
  from.setSelectionIndexes({std::min(rows.front(), from.count() - 1)});
}

void ZVDataExportManager::addSelectedToRight() {
  moveEntries(left_, left_.selectionIndexes(), right_);
}

void ZVDataExportManager::addAllToRight() {
  std::vector<qsizetype> all(std::size_t(left_.count()));
  std::iota(all.begin(), all.end(), 0);
  moveEntries(left_, all, right_);
}

void ZVDataExportManager::removeSelectedFromRight() {
  moveEntries(right_, right_.selectionIndexes(), left_);
}

void ZVDataExportManager::removeAllFromRight() {
  std::vector<qsizetype> all(std::size_t(right_.count()));
  std::iota(all.begin(), all.end(), 0);
  moveEntries(right_, all, left_);
}

void ZVDataExportManager::moveSelected(qsizetype by) {
  if (right_.selectionIndexes().empty()) return;
  const qsizetype first = right_.selectionIndex(), target = first + by;
  if (target < 0 || target >= right_.count()) return;
  right_.insert(target, right_.takeAt(right_.selectionIndexes().back()));
  right_.setSelectionIndexes({target});
}

void ZVDataExportManager::moveUp() { moveSelected(-1); }

void ZVDataExportManager::moveDown() { moveSelected(+1); }

QString ZVDataExportManager::exportText() const {
  return ExportWriter::text(dataArray_, right_.entries(), settings_);
}

Result<void> ZVDataExportManager::writeToFile(const QString& path) {
  WipedBytes bytes;
  {
    QString text = exportText();
    bytes.bytes = text.toUtf8();
    SecureMemory::wipe(text);
  }
  // The records in clear: the file is the user's alone, also where it replaces a file that
  // others could read.
  if (auto written = AtomicFile::write(bytes.bytes, path, AtomicFile::Permissions::OwnerOnly);
      !written)
    return written;
  didExport();
  return {};
}
