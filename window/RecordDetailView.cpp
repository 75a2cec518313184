#include "window/RecordDetailView.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>

#include "Common/ZVColorUtilOSX.h"
#include "Common/ZVDragDropView.h"
#include "Common/ZVLabelDrawer.h"
#include "Common/ZVTextFieldExt.h"
#include "platform/Dictionary.h"
#include "platform/crypto/SecureMemory.h"
#include "vault/VaultKeys.h"
#include "window/SecureLineEdit.h"

namespace {
QColor toQColor(const Value& dict) {
  const Rgba c = ZVColorUtilOSX::NSColorFromDict(dict).usingCalibratedRGB().value_or(Rgba{});
  return QColor::fromRgbF(c.r, c.g, c.b, c.a);
}

QString dateText(const Value& v) {
  return v.isDate() ? QLocale().toString(v.toDate().toLocalDateTime(), QLocale::LongFormat)
                    : QString();
}
}  // namespace

CategoryView::CategoryView(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* copy = new QAction(QStringLiteral("&Copy Category Title"), this);
  connect(copy, &QAction::triggered, this, &CategoryView::CopyInClipboard);
  addAction(copy);
}

void CategoryView::setCategory(const DictRef& category, bool shown) {
  category_ = category;
  shown_ = shown;
  update();
}

void CategoryView::CopyInClipboard() {
  if (!shown_) return;
  QGuiApplication::clipboard()->setText(
      category_ ? category_->value(CategoryKeys::category()).toString() : QString());
}

QSize CategoryView::sizeHint() const { return {160, fontMetrics().height() + 6}; }

void CategoryView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QString title =
      category_ ? category_->value(CategoryKeys::category()).toString() : QString();
  const QColor back = category_ ? toQColor(category_->value(CategoryKeys::backColor()))
                                : QColor::fromRgbF(0, 0, 0, 0);
  const QColor fore = category_ ? toQColor(category_->value(CategoryKeys::textColor()))
                                : QColor::fromRgbF(0, 0, 0, 0);
  const int w = std::min(width(), 220);
  ZVLabelDrawer::drawString(painter, LabelText{title, font(), fore}, w, height(), back, fore);
}

RecordDetailView::RecordDetailView(QWidget* parent) : QWidget(parent) {
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  int row = 0;
  category_ = new CategoryView(this);
  auto* categoryTitle = new QLabel(QStringLiteral("Category:"), this);
  grid->addWidget(categoryTitle, row, 0, Qt::AlignRight);
  grid->addWidget(category_, row, 1, 1, 2);
  categoryPopup_ = new QToolButton(this);
  categoryPopup_->setObjectName(QStringLiteral("categoryPopup"));
  categoryPopup_->setText(QStringLiteral("Change"));
  categoryPopup_->setToolTip(QStringLiteral("Move the record to another category"));
  categoryPopup_->setAutoRaise(true);
  categoryPopup_->setPopupMode(QToolButton::InstantPopup);
  auto* categoryMenu = new QMenu(categoryPopup_);
  categoryPopup_->setMenu(categoryMenu);
  connect(categoryMenu, &QMenu::aboutToShow, this, [this, categoryMenu] {
    categoryMenu->clear();
    const std::vector<DictRef> categories = categories_ ? categories_() : std::vector<DictRef>();
    const Dictionary* own =
        record_ ? record_->value(RecordKeys::categoryPtr()).dictionaryPointer() : nullptr;
    auto* group = new QActionGroup(categoryMenu);
    for (std::size_t i = 0; i < categories.size(); ++i) {
      const int index = int(i);
      QAction* item = categoryMenu->addAction(
          categories[i]->value(CategoryKeys::category()).toString(), this, [this, index] {
            if (record_) Q_EMIT categoryChosen(index);
          });
      item->setCheckable(true);
      item->setChecked(categories[i].get() == own);
      group->addAction(item);
    }
  });
  grid->addWidget(categoryPopup_, row++, 3);
  addField(grid, row++, QStringLiteral("&Name:"), RecordKeys::name(), 1);
  addField(grid, row, QStringLiteral("&Url:"), RecordKeys::url(), 2);
  // Opens what the field shows, with no user name or password put into the address.
  openUrl_ = new QToolButton(this);
  openUrl_->setObjectName(QStringLiteral("openUrlButton"));
  openUrl_->setIcon(QIcon::fromTheme(QStringLiteral("internet-web-browser")));
  openUrl_->setText(QStringLiteral("Open &Link"));
  openUrl_->setToolTip(QStringLiteral("Open the URL"));
  openUrl_->setAutoRaise(true);
  QvltTextFieldExt* url = field(RecordKeys::url());
  connect(openUrl_, &QToolButton::clicked, this, [this, url] {
    const ZVUrlResolutor::Outcome opened = url->OpenUrl();
    if (!opened.ok()) Q_EMIT urlNotOpened(opened.failure());
  });
  grid->addWidget(openUrl_, row++, 3);
  dropArea_ = new ZVDragDropViewFileUrl(this);
  dropArea_->setObjectName(QStringLiteral("myDropFileArea"));
  auto* dropHint =
      new QLabel(QStringLiteral("Drop a web address or a file here for the URL"), dropArea_);
  dropHint->setForegroundRole(QPalette::PlaceholderText);
  auto* dropLayout = new QHBoxLayout(dropArea_);
  dropLayout->setContentsMargins(6, 2, 6, 2);
  dropLayout->addWidget(dropHint);
  grid->addWidget(dropArea_, row++, 1);
  addField(grid, row++, QStringLiteral("&Account:"), RecordKeys::account(), 3);
  // The menu bar's letters (File, Edit, View, Record, Tools, Window, Help) are not taken here.
  addField(grid, row++, QStringLiteral("User I&D:"), RecordKeys::userID(), 4);
  addField(grid, row++, QStringLiteral("&Password:"), RecordKeys::password(), 5);
  showClear_ = new QCheckBox(QStringLiteral("Show password&s"), this);
  grid->addWidget(showClear_, row++, 1);
  connect(showClear_, &QCheckBox::clicked, this, &RecordDetailView::showClearPasswordToggled);
  addField(grid, row++, QStringLiteral("P&in:"), RecordKeys::pin(), 6);
  addField(grid, row++, QStringLiteral("Se&curity:"), RecordKeys::security(), 7);
  addField(grid, row, QStringLiteral("E&mail:"), RecordKeys::email(), 8);
  emailPopup_ = new QToolButton(this);
  emailPopup_->setObjectName(QStringLiteral("emailPopup"));
  emailPopup_->setIcon(QIcon::fromTheme(QStringLiteral("mail-message")));
  emailPopup_->setText(QStringLiteral("Addresses"));
  emailPopup_->setToolTip(QStringLiteral("Choose one of the document's e-mail addresses"));
  emailPopup_->setAutoRaise(true);
  emailPopup_->setPopupMode(QToolButton::InstantPopup);
  auto* emailMenu = new QMenu(emailPopup_);
  emailPopup_->setMenu(emailMenu);
  connect(emailMenu, &QMenu::aboutToShow, this, [this, emailMenu] {
    emailMenu->clear();
    const QStringList addresses = emailAddresses_ ? emailAddresses_() : QStringList();
    for (const QString& address : addresses)
      emailMenu->addAction(address, this, [this, address] { insertEmailFromPopup(address); });
    if (addresses.isEmpty())
      emailMenu->addAction(QStringLiteral("No Addresses"))->setEnabled(false);
  });
  grid->addWidget(emailPopup_, row++, 3);

  auto* noteTitle = new QLabel(QStringLiteral("N&ote:"), this);
  note_ = new QPlainTextEdit(this);
  note_->setObjectName(RecordKeys::note());
  noteTitle->setBuddy(note_);
  grid->addWidget(noteTitle, row, 0, Qt::AlignRight | Qt::AlignTop);
  grid->addWidget(note_, row++, 1, 1, 2);
  grid->setRowStretch(row - 1, 1);
  connect(note_, &QPlainTextEdit::textChanged, this, [this] {
    if (filling_ || !record_) return;
    Q_EMIT textDidChange(record_, RecordKeys::note(), note_);
  });

  auto* stamps = new QFormLayout;
  created_ = new QLabel(this);
  modified_ = new QLabel(this);
  used_ = new QLabel(this);
  stamps->addRow(QStringLiteral("Created:"), created_);
  stamps->addRow(QStringLiteral("Modified:"), modified_);
  stamps->addRow(QStringLiteral("Used:"), used_);
  grid->addLayout(stamps, row++, 1, 1, 2);
  setEditable(false);
  setShowClearPassword(false);
  setRecord(nullptr);
}

void RecordDetailView::addField(QGridLayout* grid, int row, const QString& title,
                                const QString& key, int copyTag) {
  auto* label = new QLabel(title, this);
  auto* edit = new QvltTextFieldExt(this);
  edit->setObjectName(key);
  label->setBuddy(edit);
  auto* copy = new QToolButton(this);
  copy->setIcon(QIcon::fromTheme(QStringLiteral("edit-copy")));
  copy->setText(QStringLiteral("Copy"));
  copy->setToolTip(QStringLiteral("Copy %1").arg(QString(title).remove(u'&').chopped(1)));
  copy->setAutoRaise(true);
  grid->addWidget(label, row, 0, Qt::AlignRight);
  grid->addWidget(edit, row, 1);
  grid->addWidget(copy, row, 2);
  edit->setSecret(key == RecordKeys::password() || key == RecordKeys::pin() ||
                  key == RecordKeys::security());
  fields_.push_back({key, edit, copy});
  connect(copy, &QToolButton::clicked, edit, [edit, copyTag] { edit->CopyInClipboard(copyTag); });
  connect(edit, &ZVTextFieldExt::textCopiedInClipboard, this,
          &RecordDetailView::textCopiedInClipboard);
  // textEdited: the user's typing only, never a fill.
  connect(edit, &QLineEdit::textEdited, this, [this, edit, key] {
    if (filling_ || !record_) return;
    Q_EMIT controlTextDidChange(record_, key, edit);
  });
}

QvltTextFieldExt* RecordDetailView::field(const QString& key) const {
  for (const Field& f : fields_)
    if (f.key == key) return f.edit;
  return nullptr;
}

QToolButton* RecordDetailView::copyButton(const QString& key) const {
  for (const Field& f : fields_)
    if (f.key == key) return f.copy;
  return nullptr;
}

void RecordDetailView::setRecord(const DictRef& record) {
  record_ = record;
  filling_ = true;
  for (const Field& f : fields_) {
    // What the previous record showed is not left behind in freed memory. The field keeps a
    // block of its own, so that wiping it leaves the record's text alone.
    SecureLineEdit::clear(f.edit);
    f.edit->setText(record ? SecureMemory::privateCopy(record->value(f.key).toString())
                           : QString());
    f.edit->setCursorPosition(0);
    f.edit->setEnabled(bool(record));
    f.copy->setEnabled(bool(record));
  }
  openUrl_->setEnabled(bool(record));
  note_->setPlainText(record ? record->value(RecordKeys::note()).toString() : QString());
  note_->setEnabled(bool(record));
  filling_ = false;
  category_->setCategory(
      record ? record->value(RecordKeys::categoryPtr()).toDictionary() : DictRef(), bool(record));
  updateCategoryPopup();
  refreshStamps();
}

void RecordDetailView::refreshStamps() {
  created_->setText(record_ ? dateText(record_->value(RecordKeys::creationDate())) : QString());
  modified_->setText(record_ ? dateText(record_->value(RecordKeys::modificationDate()))
                             : QString());
  used_->setText(record_ ? QString::number(record_->value(RecordKeys::usageCount()).toInteger())
                         : QString());
}

void RecordDetailView::insertEmailFromPopup(const QString& address) {
  QvltTextFieldExt* edit = field(RecordKeys::email());
  if (!record_ || edit->isReadOnly()) return;
  SecureLineEdit::clear(edit);
  edit->setText(SecureMemory::privateCopy(address));
  Q_EMIT controlTextDidChange(record_, RecordKeys::email(), edit);
}

void RecordDetailView::setEditable(bool editable) {
  editable_ = editable;
  emailPopup_->setEnabled(editable);
  // A drop would rewrite the URL: read-only, the area takes none, as no field takes typing.
  dropArea_->setAcceptDrops(editable);
  dropArea_->setEnabled(editable);
  updateCategoryPopup();
  for (const Field& f : fields_) f.edit->setReadOnly(!editable);
  note_->setReadOnly(!editable);
}

void RecordDetailView::setShowClearPassword(bool show) {
  showClear_->setChecked(show);
  for (const QString& key : {RecordKeys::password(), RecordKeys::pin(), RecordKeys::security()})
    if (QvltTextFieldExt* f = field(key))
      f->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
}

void RecordDetailView::setCategoryChangeAllowed(bool allowed) {
  categoryChangeAllowed_ = allowed;
  updateCategoryPopup();
}

void RecordDetailView::updateCategoryPopup() {
  categoryPopup_->setEnabled(editable_ && categoryChangeAllowed_ && record_);
}
