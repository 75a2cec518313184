#include "transfer/ZVDataImportManager.h"

#include <cmath>
#include <limits>

ZVDataImportManager::ZVDataImportManager(ArrayRef dataArray, ArrayRef keyArray, ZVImporter* sender,
                                         QObject* parent)
    : QObject(parent),
      outsideDataArray_(dataArray ? std::move(dataArray) : Array::create()),
      outsideKeyArray_(keyArray ? std::move(keyArray) : Array::create()),
      requester_(sender) {}

ZVDataImportManager::~ZVDataImportManager() = default;

void ZVDataImportManager::setDataArray(ArrayRef dataArray, ArrayRef keyArray) {
  outsideDataArray_ = dataArray ? std::move(dataArray) : Array::create();
  outsideKeyArray_ = keyArray ? std::move(keyArray) : Array::create();
  setDoNotImportFirstRecord(false);
  useFirstRecordAsFieldsName_ = false;
  enableFirstRecAsNameOption_ = true;
  Q_EMIT firstRowOptionsChanged();
}

void ZVDataImportManager::setUseFirstRecordAsFieldsName(bool use) {
  if (useFirstRecordAsFieldsName_ == use) return;
  useFirstRecordAsFieldsName_ = use;
  Q_EMIT firstRowOptionsChanged();
}

void ZVDataImportManager::setEnableFirstRecAsNameOption(bool enable) {
  if (enableFirstRecAsNameOption_ == enable) return;
  enableFirstRecAsNameOption_ = enable;
  Q_EMIT firstRowOptionsChanged();
}

void ZVDataImportManager::setNotVisibleFirstRecAsNameOption(bool hidden) {
  if (notVisibleFirstRecAsNameOption_ == hidden) return;
  notVisibleFirstRecAsNameOption_ = hidden;
  Q_EMIT firstRowOptionsChanged();
}

void ZVDataImportManager::firstRowSetFieldsNameSelected() {
  setDoNotImportFirstRecord(useFirstRecordAsFieldsName_);
}

QStringList ZVDataImportManager::destinationTitles() const {
  QStringList titles;
  for (const Value& entry : outsideKeyArray_->values()) {
    const Dictionary* dict = entry.dictionaryPointer();
    const QString* title = dict ? dict->value(u"publicKey").stringPointer() : nullptr;
    titles << (title ? *title : QStringLiteral("-"));
  }
  return titles;
}

void ZVDataImportManager::setDoNotImportFirstRecord(bool skip) {
  if (doNotImportFirstRecord_ == skip) return;
  doNotImportFirstRecord_ = skip;
  Q_EMIT doNotImportFirstRecordChanged();
}

Result<void, ImportError> ZVDataImportManager::loadDataFromFile(const QString& path, qint32 format,
                                                                qint32 encoding) {
  auto read = ImportFile::read(path, format, encoding);
  if (!read) return read.failure();
  takeLoadedFile(read.take());
  return {};
}

void ZVDataImportManager::takeLoadedFile(ImportFile file) {
  filePath_ = std::move(file.path);
  fileFormatToImport_ = file.format;
  fileEncodeToImport_ = file.encoding;
  usedFormat_ = file.usedFormat;
  usedEncoding_ = file.usedEncoding;
  preview_ = std::move(file.rows);
  destinations_.assign(std::size_t(preview_.mappingWidth()), 0);
  currentRecordIndex_ = 1;
  calcNumberOfImportedFields();
  Q_EMIT previewChanged();
  Q_EMIT mappingChanged();
  Q_EMIT currentRecordChanged();
}

Result<void, ImportError> ZVDataImportManager::reload(qint32 format, qint32 encoding) {
  return loadDataFromFile(filePath_, format, encoding);
}

double ZVDataImportManager::standardDeviation(const std::vector<double>& numbers) {
  if (numbers.empty()) return std::numeric_limits<double>::quiet_NaN();
  double mean = 0;
  for (double n : numbers) mean += std::trunc(n);
  mean /= double(numbers.size());
  double squares = 0;
  for (double n : numbers) squares += (n - mean) * (n - mean);
  return std::sqrt(squares / double(numbers.size()));
}

void ZVDataImportManager::clearPreview() {
  preview_ = ImportTable();
  destinations_.clear();
  calcNumberOfImportedFields();
  currentRecordIndex_ = 1;
  Q_EMIT previewChanged();
}

QString ZVDataImportManager::importFlag(qsizetype column) const {
  return destination(column) != 0 ? importMark() : QString();
}

void ZVDataImportManager::calcNumberOfImportedFields() {
  numberOfImportedFields_ = 0;
  for (qint64 d : destinations_)
    if (d != 0) ++numberOfImportedFields_;
}

void ZVDataImportManager::manageDataLoadingPopUpSelected(qsizetype column, qint64 destination) {
  if (column < 0 || column >= mappingCount()) return;
  if (destination != 0)
    for (qint64& other : destinations_)
      if (other == destination) other = 0;
  destinations_[std::size_t(column)] = destination;
  calcNumberOfImportedFields();
  Q_EMIT mappingChanged();
}

void ZVDataImportManager::ResetImportFields() {
  std::fill(destinations_.begin(), destinations_.end(), 0);
  calcNumberOfImportedFields();
  Q_EMIT mappingChanged();
}

void ZVDataImportManager::AssignCascadeImportFields() {
  const qsizetype fields = outsideKeyArray_->count();
  for (qsizetype i = 0; i < mappingCount(); ++i)
    destinations_[std::size_t(i)] = i < fields ? rowToStartCascadeAssignment_ + i : 0;
  calcNumberOfImportedFields();
  Q_EMIT mappingChanged();
}

void ZVDataImportManager::AllImportFieldsToCreateNewColumn() {
  std::fill(destinations_.begin(), destinations_.end(), 2);
  calcNumberOfImportedFields();
  Q_EMIT mappingChanged();
}

void ZVDataImportManager::tryAssignFromFirstRow() {
  if (preview_.rowCount() == 0) return;
  std::fill(destinations_.begin(), destinations_.end(), 0);
  const QStringList titles = destinationTitles();
  for (qsizetype j = 0; j < preview_.fieldCount(0); ++j) {
    const QString header = preview_.field(0, j).toString().toLower();
    for (qsizetype k = 0; k < titles.size(); ++k)
      if (header == titles[k].toLower())
        destinations_[std::size_t(j)] = rowToStartCascadeAssignment_ + k;
  }
  calcNumberOfImportedFields();
  Q_EMIT mappingChanged();
  setDoNotImportFirstRecord(true);
}

QString ZVDataImportManager::fromElementInRowToFieldKey(qsizetype column) const {
  if (column < 0 || column >= mappingCount()) return {};
  return fromIndexNumberToFieldKey(destination(column));
}

QString ZVDataImportManager::fromIndexNumberToFieldKey(qint64 index) const {
  return index >= 0 && index < importFieldKeyArray_.size() ? importFieldKeyArray_[index]
                                                           : QString();
}

void ZVDataImportManager::setCurrentRecordIndex(qsizetype index) {
  currentRecordIndex_ = index;
  Q_EMIT currentRecordChanged();
}

void ZVDataImportManager::ImportSettings() {
  setCurrentRecordIndex(1);
  preImportSettings();
}

void ZVDataImportManager::showNextRecord() {
  if (currentRecordIndex_ < preview_.rowCount()) setCurrentRecordIndex(currentRecordIndex_ + 1);
}

void ZVDataImportManager::showPrevRecord() {
  if (currentRecordIndex_ > 1) setCurrentRecordIndex(currentRecordIndex_ - 1);
}

DictRef ZVDataImportManager::createNewObjectToImport() {
  qWarning("[ZVDataImportManager createNewObjectToImport] must be subclassed");
  return nullptr;
}

void ZVDataImportManager::addRecordToDestination(const DictRef& record) {
  outsideDataArray_->append(record);
}

qsizetype ZVDataImportManager::DoImport() {
  if (requester_ && !requester_->acceptsImportedRecords()) return 0;
  std::vector<QString> keys;
  keys.reserve(destinations_.size());
  for (qsizetype c = 0; c < mappingCount(); ++c) keys.push_back(fromElementInRowToFieldKey(c));
  willImport();
  firstRowRecord_.reset();
  qsizetype added = 0;
  for (qsizetype r = 0; r < preview_.rowCount(); ++r) {
    const bool skipped = r == 0 && doNotImportFirstRecord_;
    if (!skipped && preview_.fieldCount(r) == 0) continue;
    const DictRef record = createNewObjectToImport();
    if (!record) continue;
    // Two columns with one key: the later one wins, even when empty.
    for (qsizetype c = 0; c < preview_.fieldCount(r); ++c)
      if (!keys[std::size_t(c)].isEmpty())
        record->setValue(keys[std::size_t(c)], preview_.field(r, c).toString());
    if (skipped) {
      if (useFirstRecordAsFieldsName_) firstRowRecord_ = record;
      continue;
    }
    recordIsGoingToBeInserted(record);
    addRecordToDestination(record);
    ++added;
  }
  didImport();
  return added;
}
