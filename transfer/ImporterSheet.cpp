#include "transfer/ImporterSheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "transfer/DataImportFlow.h"
#include "transfer/DelimitedTextParser.h"
#include "transfer/LoadingFileSheet.h"
#include "transfer/ZVDataImportManager.h"

namespace {
// The encoding choices, in menu order.
constexpr qint32 kEncodingCodes[] = {
    TextEncodingCode::Automatic,   TextEncodingCode::UTF8,    TextEncodingCode::UTF16,
    TextEncodingCode::UTF16BE,     TextEncodingCode::UTF16LE, TextEncodingCode::UTF32,
    TextEncodingCode::UTF32BE,     TextEncodingCode::UTF32LE, TextEncodingCode::MacOSRoman,
    TextEncodingCode::Windows1252, TextEncodingCode::ASCII};

QString separatorName(qint32 format) {
  switch (format) {
    case DelimitedTextParser::Comma:
      return QStringLiteral("Split at commas");
    case DelimitedTextParser::Semicolon:
      return QStringLiteral("Split at semicolons");
    default:
      return QStringLiteral("Split at tabs");
  }
}

// A field's text on one line: line breaks inside quoted fields shown as a return sign.
QString oneLine(QStringView field) {
  QString text = field.toString();
  text.replace(u'\n', QStringLiteral(" \u21B5 "));
  return text;
}
}  // namespace

ImporterSheet::ImporterSheet(ZVDataImportManager* manager, QWidget* parent)
    : Sheet(parent), manager_(manager) {
  setObjectName(QStringLiteral("Importer"));
  setWindowTitle(QStringLiteral("Import"));
  auto* layout = new QVBoxLayout(this);

  file_ = new QLabel(this);
  file_->setTextFormat(Qt::PlainText);
  layout->addWidget(file_);

  auto* choices = new QHBoxLayout;
  format_ = new QComboBox(this);
  format_->addItems({QStringLiteral("Automatic"), QStringLiteral("Tab"), QStringLiteral("Comma"),
                     QStringLiteral("Semicolon")});
  encoding_ = new QComboBox(this);
  for (qint32 code : kEncodingCodes) encoding_->addItem(TextEncodingCode::name(code), code);
  encodingUsed_ = new QLabel(this);
  separatorUsed_ = new QLabel(this);
  auto* formatLabel = new QLabel(QStringLiteral("&Separator:"), this);
  formatLabel->setBuddy(format_);
  auto* encodingLabel = new QLabel(QStringLiteral("&Encoding:"), this);
  encodingLabel->setBuddy(encoding_);
  choices->addWidget(formatLabel);
  choices->addWidget(format_);
  choices->addWidget(separatorUsed_);
  choices->addSpacing(12);
  choices->addWidget(encodingLabel);
  choices->addWidget(encoding_);
  choices->addWidget(encodingUsed_);
  choices->addStretch();
  layout->addLayout(choices);

  table_ = new QTableWidget(0, 4, this);
  table_->setHorizontalHeaderLabels(
      {QStringLiteral("Column"), QString(), QStringLiteral("Text"), QStringLiteral("Import As")});
  table_->verticalHeader()->hide();
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setWordWrap(false);
  table_->setTextElideMode(Qt::ElideRight);
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionResizeMode(NumberColumn, QHeaderView::ResizeToContents);
  header->setSectionResizeMode(MarkColumn, QHeaderView::ResizeToContents);
  header->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
  header->setSectionResizeMode(DestinationColumn, QHeaderView::Fixed);
  layout->addWidget(table_, 1);

  auto* browsing = new QHBoxLayout;
  previous_ = new QPushButton(QStringLiteral("&Previous"), this);
  next_ = new QPushButton(QStringLiteral("&Next"), this);
  position_ = new QLabel(this);
  position_->setAlignment(Qt::AlignCenter);
  position_->setMinimumWidth(
      position_->fontMetrics().horizontalAdvance(QStringLiteral("Record 000000 of 000000")));
  browsing->addWidget(previous_);
  browsing->addWidget(position_);
  browsing->addWidget(next_);
  browsing->addStretch();
  imported_ = new QLabel(this);
  browsing->addWidget(imported_);
  tools_ = new QToolButton(this);
  tools_->setText(QStringLiteral("&Tools"));
  tools_->setPopupMode(QToolButton::InstantPopup);
  auto* toolsMenu = new QMenu(tools_);
  toolsMenu->addAction(QStringLiteral("&Match Fields to the First Row"), this, [this] {
    if (manager_) manager_->tryAssignFromFirstRow();
  });
  toolsMenu->addAction(QStringLiteral("Assign Fields in &Order"), this, [this] {
    if (manager_) manager_->AssignCascadeImportFields();
  });
  toolsMenu->addAction(QStringLiteral("&Import No Column"), this, [this] {
    if (manager_) manager_->ResetImportFields();
  });
  if (!manager || manager->offersAllToNewColumns())
    toolsMenu->addAction(QStringLiteral("Import &All to New Columns"), this, [this] {
      if (manager_) manager_->AllImportFieldsToCreateNewColumn();
    });
  tools_->setMenu(toolsMenu);
  browsing->addWidget(tools_);
  layout->addLayout(browsing);

  skipFirst_ = new QCheckBox(QStringLiteral("S&kip the first row (column names)"), this);
  layout->addWidget(skipFirst_);
  useFirstRow_ = new QCheckBox(QStringLiteral("&Use the first row as field names"), this);
  layout->addWidget(useFirstRow_);

  auto* buttons = new QDialogButtonBox(this);
  import_ = buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
  cancel_ = buttons->addButton(QDialogButtonBox::Cancel);
  import_->setDefault(true);
  layout->addWidget(buttons);
  resize(680, 460);

  connect(previous_, &QPushButton::clicked, this, [this] {
    if (manager_) manager_->showPrevRecord();
  });
  connect(next_, &QPushButton::clicked, this, [this] {
    if (manager_) manager_->showNextRecord();
  });
  connect(skipFirst_, &QCheckBox::toggled, this, [this](bool skip) {
    if (manager_) manager_->setDoNotImportFirstRecord(skip);
  });
  connect(useFirstRow_, &QCheckBox::toggled, this, [this](bool use) {
    if (!manager_) return;
    manager_->setUseFirstRecordAsFieldsName(use);
    manager_->firstRowSetFieldsNameSelected();
  });
  connect(format_, &QComboBox::activated, this, &ImporterSheet::reloadWithChoices);
  connect(encoding_, &QComboBox::activated, this, &ImporterSheet::reloadWithChoices);
  connect(import_, &QPushButton::clicked, this, [this] { endSheet(ImportReturn); });
  connect(cancel_, &QPushButton::clicked, this, [this] { endSheet(CancelReturn); });
  if (!manager) return;
  connect(manager, &ZVDataImportManager::previewChanged, this, &ImporterSheet::rebuildRows);
  connect(manager, &ZVDataImportManager::mappingChanged, this, &ImporterSheet::showMapping);
  connect(manager, &ZVDataImportManager::currentRecordChanged, this, &ImporterSheet::showRecord);
  connect(manager, &ZVDataImportManager::doNotImportFirstRecordChanged, this, [this] {
    if (manager_) skipFirst_->setChecked(manager_->doNotImportFirstRecord());
  });
  connect(manager, &ZVDataImportManager::firstRowOptionsChanged, this,
          &ImporterSheet::showFirstRowOptions);
  skipFirst_->setChecked(manager->doNotImportFirstRecord());
  showFirstRowOptions();
  rebuildRows();
}

void ImporterSheet::showFirstRowOptions() {
  const QSignalBlocker quiet(useFirstRow_);
  useFirstRow_->setChecked(manager_->useFirstRecordAsFieldsName());
  useFirstRow_->setEnabled(manager_->enableFirstRecAsNameOption());
  useFirstRow_->setVisible(!manager_->notVisibleFirstRecAsNameOption());
}

QComboBox* ImporterSheet::destinationPopUp(int column) const {
  return qobject_cast<QComboBox*>(table_->cellWidget(column, DestinationColumn));
}

void ImporterSheet::rebuildRows() {
  if (!manager_) return;
  file_->setText(QStringLiteral("File: %1").arg(QFileInfo(manager_->filePath()).fileName()));
  showLoadedChoices();
  const QStringList titles = manager_->destinationTitles();
  table_->setRowCount(int(manager_->mappingCount()));
  int popUpWidth = 0;
  for (int column = 0; column < manager_->mappingCount(); ++column) {
    auto* number = new QTableWidgetItem(QString::number(column + 1));
    number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    table_->setItem(column, NumberColumn, number);
    table_->setItem(column, MarkColumn, new QTableWidgetItem);
    table_->setItem(column, ValueColumn, new QTableWidgetItem);
    // Pop-up index and destination are one: 0 imports nothing, 1 is a separator line,
    // the fields start at 2.
    auto* popUp = new QComboBox(table_);
    popUp->addItem(QStringLiteral("Don't Import"));
    popUp->insertSeparator(1);
    popUp->addItems(titles);
    popUp->setAccessibleName(QStringLiteral("Import column %1 as").arg(column + 1));
    connect(popUp, &QComboBox::activated, this,
            [this, column](int index) { dataLoadingPopUpSelected(column, index); });
    table_->setCellWidget(column, DestinationColumn, popUp);
    popUpWidth = std::max(popUpWidth, popUp->sizeHint().width());
  }
  // Wide enough for the longest field title.
  if (popUpWidth > 0) table_->setColumnWidth(DestinationColumn, popUpWidth);
  showMapping();
  showRecord();
}

void ImporterSheet::showMapping() {
  if (!manager_) return;
  for (int column = 0; column < table_->rowCount(); ++column) {
    table_->item(column, MarkColumn)->setText(manager_->importFlag(column));
    QComboBox* popUp = destinationPopUp(column);
    const QSignalBlocker quiet(popUp);
    popUp->setCurrentIndex(int(manager_->destination(column)));
  }
  imported_->setText(QStringLiteral("%1 of %2 columns imported")
                         .arg(manager_->numberOfImportedFields())
                         .arg(manager_->mappingCount()));
}

void ImporterSheet::showRecord() {
  if (!manager_) return;
  const ImportTable& rows = manager_->preview();
  const qsizetype row = manager_->currentRecordIndex() - 1;
  const bool shown = row >= 0 && row < rows.rowCount();
  for (int column = 0; column < table_->rowCount(); ++column) {
    const bool has = shown && column < rows.fieldCount(row);
    table_->item(column, ValueColumn)->setText(has ? oneLine(rows.field(row, column)) : QString());
  }
  position_->setText(rows.rowCount() == 0 ? QStringLiteral("No records")
                                          : QStringLiteral("Record %1 of %2")
                                                .arg(manager_->currentRecordIndex())
                                                .arg(rows.rowCount()));
  previous_->setEnabled(manager_->currentRecordIndex() > 1);
  next_->setEnabled(manager_->currentRecordIndex() < rows.rowCount());
}

void ImporterSheet::showLoadedChoices() {
  const qint32 format = manager_->fileFormatToImport();
  format_->setCurrentIndex(format >= 0 && format < format_->count() ? format : 0);
  const int encoding = encoding_->findData(manager_->fileEncodeToImport());
  encoding_->setCurrentIndex(encoding < 0 ? 0 : encoding);
  encodingUsed_->setText(
      QStringLiteral("Read as %1").arg(textEncodingName(manager_->usedEncoding())));
  separatorUsed_->setText(separatorName(manager_->usedFormat()));
}

void ImporterSheet::reloadWithChoices() {
  if (!manager_) return;
  const qint32 format = format_->currentIndex(), encoding = encoding_->currentData().toInt();
  // The same choice again keeps the mapping made so far.
  if (format == manager_->fileFormatToImport() && encoding == manager_->fileEncodeToImport())
    return;
  QPointer<ImporterSheet> self(this);
  const QString path = manager_->filePath();
  LoadingFileSheet::load(this, path, format, encoding,
                         [self, path](Result<ImportFile, ImportError> reloaded) {
                           if (!self || !self->manager_) return;
                           if (reloaded) {
                             self->manager_->takeLoadedFile(reloaded.take());
                             return;
                           }
                           // The file stays as it was loaded; so do the choices.
                           self->showLoadedChoices();
                           DataImportFlow::showError(self, path, reloaded.failure());
                         });
}

void ImporterSheet::dataLoadingPopUpSelected(qsizetype column, int index) {
  // Qt has stored the pop-up's new value when it tells of the choice: no wait is needed.
  if (manager_) manager_->manageDataLoadingPopUpSelected(column, index);
}
