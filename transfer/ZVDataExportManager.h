#pragma once

#include <QObject>
#include <QString>
#include <vector>

#include "platform/Array.h"
#include "platform/Result.h"
#include "transfer/ExportWriter.h"
#include "transfer/FieldKeyList.h"

// One export: the records to write, the fields offered (left) and chosen in column order
// (right), the format with its texts, and the writing of the file. A new one is made for
// every export command, so no choice outlives it. Its settings sheet shows and edits it.
class ZVDataExportManager : public QObject {
  Q_OBJECT

 public:
  // records: the rows, in order; keyArray: the exportable fields (FieldKeyEntry).
  ZVDataExportManager(std::vector<DictRef> records, const ArrayRef& keyArray,
                      QObject* parent = nullptr);

  // The file name extension for a format: "txt", "tsv", "csv" or "html".
  static QString extensionForFormat(qint32 format);
  // The name proposed for the file of a document shown under that name.
  static QString suggestedFileNameFor(const QString& displayName);

  const std::vector<DictRef>& dataArray() const { return dataArray_; }
  // Lets go of the records when the export is over: the manager outlives it.
  void releaseRecords() { dataArray_.clear(); }
  FieldKeyList& leftKeyArrayController() { return left_; }
  FieldKeyList& rightKeyArrayController() { return right_; }
  const FieldKeyList& rightKeyArrayController() const { return right_; }

  const QString& suggestedFileName() const { return suggestedFileName_; }
  void setSuggestedFileName(const QString& name) { suggestedFileName_ = name; }
  qint32 fileFormatToSave() const { return settings_.format; }
  void setFileFormatToSave(qint32 format);
  bool useFieldNamesAsFirstRow() const { return settings_.useFieldNamesAsFirstRow; }
  void setUseFieldNamesAsFirstRow(bool use);
  const ExportCustomStrings& customStrings() const { return settings_.custom; }
  void setCustomStrings(const ExportCustomStrings& strings);
  // The format chooser's choice: its preset texts replace the custom strings.
  void setCustomFields(qint32 format);

  // Field choice. Entries go back to the end of the left list, not to their old places.
  void addSelectedToRight();
  void addAllToRight();
  void removeSelectedFromRight();
  void removeAllFromRight();
  // The last selected entry of the right list goes to just before (up) or just after (down)
  // the first selected one; one selected entry trades places with its neighbour. Nothing
  // moves past either end.
  void moveUp();
  void moveDown();

  // Hooks for subclasses, run by the export's sheets: before the settings sheet shows, and
  // when its Export is pressed, before it closes.
  virtual void preExportSettings() {}
  virtual void willExport() {}

  // The whole export as text (it holds every chosen secret in clear).
  QString exportText() const;
  // Writes the text to path as UTF-8, all or nothing, readable by the owner only when new.
  Result<void> writeToFile(const QString& path);

 Q_SIGNALS:
  void fileFormatToSaveChanged();
  void useFieldNamesAsFirstRowChanged();
  void customStringsChanged();

 protected:
  // After a file was written.
  virtual void didExport() {}

 private:
  // rows: sorted; a copy, as taking entries out changes the selection they may come from.
  static void moveEntries(FieldKeyList& from, std::vector<qsizetype> rows, FieldKeyList& to);
  void moveSelected(qsizetype by);

  std::vector<DictRef> dataArray_;
  FieldKeyList left_, right_;
  QString suggestedFileName_ = QStringLiteral("Export");
  ExportWriter::Settings settings_;
};
