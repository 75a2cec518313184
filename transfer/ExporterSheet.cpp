#include "transfer/ExporterSheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include "transfer/FieldKeyListModel.h"
#include "transfer/ZVDataExportManager.h"

namespace {
QString ExportCustomStrings::*const kTexts[] = {
    &ExportCustomStrings::start_of_file,   &ExportCustomStrings::end_of_file,
    &ExportCustomStrings::start_of_record, &ExportCustomStrings::end_of_record,
    &ExportCustomStrings::field_open_tag,  &ExportCustomStrings::field_close_tag,
    &ExportCustomStrings::field_separator};
const char* const kTextLabels[] = {
    "S&tart of file:", "E&nd of file:", "Start of re&cord:", "End o&f record:",
    "F&ield open:",    "Field clo&se:", "Se&parator:"};
}  // namespace

const std::vector<qint32>& ExporterSheet::formats() {
  static const std::vector<qint32> codes = {ExportFileFormat::TSV,      ExportFileFormat::QuotedCSV,
                                            ExportFileFormat::PlainCSV, ExportFileFormat::HTMLTable,
                                            ExportFileFormat::HTMLPage, ExportFileFormat::Custom};
  return codes;
}

QString ExporterSheet::formatTitle(qint32 format) {
  switch (format) {
    case ExportFileFormat::TSV:
      return QStringLiteral("Tab-Separated Values");
    case ExportFileFormat::QuotedCSV:
      return QStringLiteral("Comma-Separated Values, All Quoted");
    case ExportFileFormat::PlainCSV:
      return QStringLiteral("Comma-Separated Values");
    case ExportFileFormat::HTMLTable:
      return QStringLiteral("HTML Table");
    case ExportFileFormat::HTMLPage:
      return QStringLiteral("HTML Page");
    default:
      return QStringLiteral("Custom");
  }
}

ExporterSheet::ExporterSheet(ZVDataExportManager* manager, QWidget* parent)
    : Sheet(parent), manager_(manager) {
  setObjectName(QStringLiteral("Exporter"));
  setWindowTitle(QStringLiteral("Export"));
  auto* layout = new QVBoxLayout(this);

  // The two lists with the buttons that move fields between them and within the chosen one.
  auto* lists = new QGridLayout;
  auto* offered = new QLabel(QStringLiteral("Fields:"), this);
  auto* chosen = new QLabel(QStringLiteral("Export, in this order:"), this);
  left_ = makeList(manager->leftKeyArrayController());
  right_ = makeList(manager->rightKeyArrayController());
  offered->setBuddy(left_);
  chosen->setBuddy(right_);
  left_->setAccessibleName(QStringLiteral("Fields"));
  right_->setAccessibleName(QStringLiteral("Fields to export"));
  add_ = new QPushButton(QStringLiteral("&Add \u203A"), this);
  addAll_ = new QPushButton(QStringLiteral("Add A&ll \u00BB"), this);
  remove_ = new QPushButton(QStringLiteral("\u2039 &Remove"), this);
  removeAll_ = new QPushButton(QStringLiteral("\u00AB Remo&ve All"), this);
  up_ = new QPushButton(QStringLiteral("Move &Up"), this);
  down_ = new QPushButton(QStringLiteral("Move &Down"), this);
  auto* moves = new QVBoxLayout;
  moves->addStretch();
  for (QPushButton* b : {add_, addAll_, remove_, removeAll_}) moves->addWidget(b);
  moves->addStretch();
  auto* order = new QVBoxLayout;
  order->addStretch();
  order->addWidget(up_);
  order->addWidget(down_);
  order->addStretch();
  lists->addWidget(offered, 0, 0);
  lists->addWidget(chosen, 0, 2);
  lists->addWidget(left_, 1, 0);
  lists->addLayout(moves, 1, 1);
  lists->addWidget(right_, 1, 2);
  lists->addLayout(order, 1, 3);
  layout->addLayout(lists, 1);

  auto* formatRow = new QFormLayout;
  format_ = new QComboBox(this);
  for (qint32 code : formats())
    format_->addItem(QStringLiteral("%1 (.%2)")
                         .arg(formatTitle(code), ZVDataExportManager::extensionForFormat(code)),
                     code);
  formatRow->addRow(QStringLiteral("F&ormat:"), format_);
  header_ = new QCheckBox(QStringLiteral("&Write field names as the first row"), this);
  formatRow->addRow(QString(), header_);
  layout->addLayout(formatRow);

  // The custom format's texts; the other formats show theirs here, unchangeable.
  auto* customBox = new QGroupBox(QStringLiteral("Texts of the format (type \\n for a line "
                                                 "break, \\t for a tab)"),
                                  this);
  auto* texts = new QGridLayout(customBox);
  for (int i = 0; i < CustomTextCount; ++i) {
    custom_[i] = new QLineEdit(customBox);
    auto* label = new QLabel(QString::fromUtf8(kTextLabels[i]), customBox);
    label->setBuddy(custom_[i]);
    texts->addWidget(label, i / 2, (i % 2) * 2);
    texts->addWidget(custom_[i], i / 2, (i % 2) * 2 + 1);
    connect(custom_[i], &QLineEdit::textEdited, this, &ExporterSheet::takeCustomTexts);
  }
  afterLast_ = new QCheckBox(QStringLiteral("End of record also after t&he last one"), customBox);
  texts->addWidget(afterLast_, 3, 2, 1, 2);
  texts->setColumnStretch(1, 1);
  texts->setColumnStretch(3, 1);
  layout->addWidget(customBox);

  auto* buttons = new QDialogButtonBox(this);
  export_ = buttons->addButton(QStringLiteral("&Export…"), QDialogButtonBox::AcceptRole);
  cancel_ = buttons->addButton(QDialogButtonBox::Cancel);
  export_->setDefault(true);
  layout->addWidget(buttons);

  connect(add_, &QPushButton::clicked, manager, &ZVDataExportManager::addSelectedToRight);
  connect(addAll_, &QPushButton::clicked, manager, &ZVDataExportManager::addAllToRight);
  connect(remove_, &QPushButton::clicked, manager, &ZVDataExportManager::removeSelectedFromRight);
  connect(removeAll_, &QPushButton::clicked, manager, &ZVDataExportManager::removeAllFromRight);
  connect(up_, &QPushButton::clicked, manager, &ZVDataExportManager::moveUp);
  connect(down_, &QPushButton::clicked, manager, &ZVDataExportManager::moveDown);
  connect(format_, &QComboBox::activated, this, [this] {
    if (!manager_) return;
    const qint32 code = format_->currentData().toInt();
    manager_->setFileFormatToSave(code);
    manager_->setCustomFields(code);
  });
  connect(header_, &QCheckBox::toggled, manager, &ZVDataExportManager::setUseFieldNamesAsFirstRow);
  connect(afterLast_, &QCheckBox::clicked, this, &ExporterSheet::takeCustomTexts);
  connect(manager, &ZVDataExportManager::fileFormatToSaveChanged, this, &ExporterSheet::showFormat);
  connect(manager, &ZVDataExportManager::customStringsChanged, this, &ExporterSheet::showFormat);
  connect(manager, &ZVDataExportManager::useFieldNamesAsFirstRowChanged, this,
          [this] { header_->setChecked(manager_ && manager_->useFieldNamesAsFirstRow()); });
  connect(export_, &QPushButton::clicked, this, &ExporterSheet::DoExportSetting);
  connect(cancel_, &QPushButton::clicked, this, &ExporterSheet::CancelExportSetting);

  header_->setChecked(manager->useFieldNamesAsFirstRow());
  showFormat();
  updateButtons();
  resize(sizeHint().width(), 520);
}

void ExporterSheet::DoExportSetting() {
  if (manager_) manager_->willExport();
  endSheet(ExportReturn);
}

void ExporterSheet::CancelExportSetting() { endSheet(CancelReturn); }

QListView* ExporterSheet::makeList(FieldKeyList& list) {
  auto* view = new QListView(this);
  view->setModel(new FieldKeyListModel(&list, view));
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setMinimumHeight(view->fontMetrics().height() * 11);
  FieldKeyList* target = &list;
  // The list holds the selection the buttons act on; the view shows it and changes it.
  connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this, view, target] {
            if (syncingSelection_) return;
            std::vector<qsizetype> rows;
            for (const QModelIndex& index : view->selectionModel()->selectedRows())
              rows.push_back(index.row());
            syncingSelection_ = true;
            target->setSelectionIndexes(std::move(rows));
            syncingSelection_ = false;
            updateButtons();
          });
  connect(target, &FieldKeyList::selectionChanged, view, [this, view, target] {
    if (!syncingSelection_) {
      QItemSelection selection;
      for (qsizetype row : target->selectionIndexes()) {
        const QModelIndex index = view->model()->index(int(row), 0);
        selection.select(index, index);
      }
      syncingSelection_ = true;
      view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
      if (!selection.isEmpty())
        view->selectionModel()->setCurrentIndex(selection.indexes().last(),
                                                QItemSelectionModel::NoUpdate);
      syncingSelection_ = false;
    }
    updateButtons();
  });
  connect(target, &FieldKeyList::removed, this, &ExporterSheet::updateButtons);
  connect(target, &FieldKeyList::inserted, this, &ExporterSheet::updateButtons);
  return view;
}

void ExporterSheet::showFormat() {
  if (!manager_) return;
  const qint32 code = manager_->fileFormatToSave();
  const int index = format_->findData(code);
  format_->setCurrentIndex(index < 0 ? format_->findData(ExportFileFormat::Custom) : index);
  // Only the custom format's texts are the user's; the others are shown as they are written.
  const bool custom = format_->currentData().toInt() == ExportFileFormat::Custom;
  const ExportCustomStrings shown =
      custom ? manager_->customStrings() : ExportWriter::presetFor(code);
  for (int i = 0; i < CustomTextCount; ++i) {
    if (custom_[i]->text() != shown.*kTexts[i]) custom_[i]->setText(shown.*kTexts[i]);
    custom_[i]->setEnabled(custom);
  }
  afterLast_->setChecked(ExportWriter::boolValue(shown.use_end_of_record_in_last_record));
  afterLast_->setEnabled(custom);
}

void ExporterSheet::takeCustomTexts() {
  if (!manager_) return;
  ExportCustomStrings strings;
  for (int i = 0; i < CustomTextCount; ++i) strings.*kTexts[i] = custom_[i]->text();
  strings.use_end_of_record_in_last_record =
      afterLast_->isChecked() ? QStringLiteral("YES") : QStringLiteral("NO");
  manager_->setCustomStrings(strings);
}

void ExporterSheet::updateButtons() {
  if (!manager_) return;
  const FieldKeyList& left = manager_->leftKeyArrayController();
  const FieldKeyList& right = manager_->rightKeyArrayController();
  add_->setEnabled(!left.selectionIndexes().empty());
  addAll_->setEnabled(left.count() > 0);
  remove_->setEnabled(!right.selectionIndexes().empty());
  removeAll_->setEnabled(right.count() > 0);
  const bool any = !right.selectionIndexes().empty();
  up_->setEnabled(any && right.selectionIndex() > 0);
  down_->setEnabled(any && right.selectionIndex() < right.count() - 1);
}
