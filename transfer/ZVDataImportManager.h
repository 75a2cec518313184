#pragma once

#include <QObject>
#include <QStringList>
#include <vector>

#include "platform/Array.h"
#include "platform/Dictionary.h"
#include "platform/Result.h"
#include "transfer/ImportError.h"
#include "transfer/ImportFile.h"
#include "transfer/ImportTable.h"
#include "transfer/TextEncoding.h"
#include "transfer/ZVImporter.h"

// One import of a delimited text file: loads its rows, keeps for each column of the file the
// destination field chosen for it (0: not imported), and turns every row into a new record
// for its owner. Subclasses name the record keys behind the destinations and make the empty
// records. Its settings sheet shows and edits this state.
class ZVDataImportManager : public QObject {
  Q_OBJECT

 public:
  // The column mark of a column that is imported.
  static QString importMark() { return QStringLiteral("\u00BB"); }

  // dataArray: where the records go; keyArray: the destination fields offered (FieldKeyEntry).
  ZVDataImportManager(ArrayRef dataArray, ArrayRef keyArray, ZVImporter* sender,
                      QObject* parent = nullptr);
  ~ZVDataImportManager() override;
  // Another destination list and fields; the first-row choices start again.
  void setDataArray(ArrayRef dataArray, ArrayRef keyArray);

  const ArrayRef& outsideDataArray() const { return outsideDataArray_; }
  const ArrayRef& outsideKeyArray() const { return outsideKeyArray_; }
  ZVImporter* requester() const { return requester_; }
  // The destination fields' titles, in order ("-" for an entry without one).
  QStringList destinationTitles() const;

  // The format and encoding of the file as loaded (0: detected).
  qint32 fileFormatToImport() const { return fileFormatToImport_; }
  qint32 fileEncodeToImport() const { return fileEncodeToImport_; }
  bool doNotImportFirstRecord() const { return doNotImportFirstRecord_; }
  void setDoNotImportFirstRecord(bool skip);
  // Whether the first row, when skipped, gives the column names instead of a record, and
  // whether the sheet's control for that is enabled and shown.
  bool useFirstRecordAsFieldsName() const { return useFirstRecordAsFieldsName_; }
  void setUseFirstRecordAsFieldsName(bool use);
  bool enableFirstRecAsNameOption() const { return enableFirstRecAsNameOption_; }
  void setEnableFirstRecAsNameOption(bool enable);
  bool notVisibleFirstRecAsNameOption() const { return notVisibleFirstRecAsNameOption_; }
  void setNotVisibleFirstRecAsNameOption(bool hidden);
  // The record the first row made when it gave the column names; none otherwise.
  const DictRef& firstRowToImportUsedForColumnNames() const { return firstRowRecord_; }
  // The control's action: the first row is skipped exactly when it gives the column names.
  void firstRowSetFieldsNameSelected();
  // Whether the tools offer every column to one new field ("Import All to New Columns").
  bool offersAllToNewColumns() const { return offersAllToNewColumns_; }
  qint32 rowToStartCascadeAssignment() const { return rowToStartCascadeAssignment_; }
  const QStringList& importFieldKeyArray() const { return importFieldKeyArray_; }

  // Reads the file with the chosen format and encoding. On success the preview and the
  // mapping start afresh; a failure keeps what was loaded before.
  Result<void, ImportError> loadDataFromFile(const QString& path, qint32 format, qint32 encoding);
  // Shows a file read elsewhere (on a worker thread, say): the preview and the mapping start
  // afresh.
  void takeLoadedFile(ImportFile file);
  // Lets go of the loaded rows, wiping their texts, when the sheet is done with them.
  void clearPreview();
  // The same file again, in another format or encoding.
  Result<void, ImportError> reload(qint32 format, qint32 encoding);
  const QString& filePath() const { return filePath_; }
  const ImportTable& preview() const { return preview_; }
  // The encoding the loaded text was read in, and the separator it was split at.
  TextEncoding usedEncoding() const { return usedEncoding_; }
  qint32 usedFormat() const { return usedFormat_; }

  // The mapping: one destination per column of the file.
  qsizetype mappingCount() const { return qsizetype(destinations_.size()); }
  qint64 destination(qsizetype column) const { return destinations_[std::size_t(column)]; }
  QString importFlag(qsizetype column) const;
  qint64 numberOfImportedFields() const { return numberOfImportedFields_; }
  // Gives the column that destination, taking it from any other column that had it.
  void manageDataLoadingPopUpSelected(qsizetype column, qint64 destination);
  void ResetImportFields();
  // Column i takes destination cascade start + i while there are fields for it.
  void AssignCascadeImportFields();
  // Every column takes destination 2, the first field, duplicates and all.
  void AllImportFieldsToCreateNewColumn();
  // Columns whose first-row text names a field (ignoring case) take that field; the first
  // row is then skipped.
  void tryAssignFromFirstRow();
  // The record key that column imports into; empty when none.
  QString fromElementInRowToFieldKey(qsizetype column) const;
  // The record key behind a destination; empty when there is none.
  QString fromIndexNumberToFieldKey(qint64 index) const;

  // Browsing the preview: the 1-based position of the row on show.
  qsizetype currentRecordIndex() const { return currentRecordIndex_; }
  void ImportSettings();
  void showNextRecord();
  void showPrevRecord();

  // The population standard deviation: the square root of the mean squared difference from
  // the mean of the numbers' integer parts. Not a number for no numbers.
  static double standardDeviation(const std::vector<double>& numbers);

  // Turns the rows into records under the mapping; answers how many were added. Nothing
  // happens when the owner takes no records now.
  qsizetype DoImport();

 Q_SIGNALS:
  void previewChanged();
  void mappingChanged();
  void currentRecordChanged();
  void doNotImportFirstRecordChanged();
  void firstRowOptionsChanged();

 protected:
  void setRowToStartCascadeAssignment(qint32 start) { rowToStartCascadeAssignment_ = start; }
  void setImportFieldKeyArray(QStringList keys) { importFieldKeyArray_ = std::move(keys); }

  void setOffersAllToNewColumns(bool offers) { offersAllToNewColumns_ = offers; }

  // A new, empty record to fill from one row; a subclass must make them.
  virtual DictRef createNewObjectToImport();
  virtual void addRecordToDestination(const DictRef& record);
  // Before the settings sheet opens, before the first record is made, just before each record
  // is added, after the last.
  virtual void preImportSettings() {}
  virtual void willImport() {}
  virtual void recordIsGoingToBeInserted(const DictRef&) {}
  virtual void didImport() {}

 private:
  void calcNumberOfImportedFields();
  void setCurrentRecordIndex(qsizetype index);

  ArrayRef outsideDataArray_;
  ArrayRef outsideKeyArray_;
  ZVImporter* requester_;
  qint32 fileFormatToImport_ = 0;
  qint32 fileEncodeToImport_ = 0;
  bool doNotImportFirstRecord_ = false;
  bool useFirstRecordAsFieldsName_ = false;
  bool enableFirstRecAsNameOption_ = true;
  bool notVisibleFirstRecAsNameOption_ = false;
  bool offersAllToNewColumns_ = true;
  DictRef firstRowRecord_;
  qint64 numberOfImportedFields_ = 0;
  qsizetype currentRecordIndex_ = 1;
  qint32 rowToStartCascadeAssignment_ = 4;
  QStringList importFieldKeyArray_;

  QString filePath_;
  ImportTable preview_;
  TextEncoding usedEncoding_ = TextEncoding::UTF8;
  qint32 usedFormat_ = 0;
  std::vector<qint64> destinations_;
};
