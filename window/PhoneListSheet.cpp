#include "window/PhoneListSheet.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/crypto/SecureMemory.h"

PhoneListModel::PhoneListModel(std::vector<PhoneList::Row> rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(std::move(rows)) {}

PhoneListModel::~PhoneListModel() { clear(); }

void PhoneListModel::clear() {
  if (rows_.empty()) return;
  beginResetModel();
  for (PhoneList::Row& row : rows_) {
    SecureMemory::release(row.name);
    SecureMemory::release(row.number);
  }
  rows_.clear();
  endResetModel();
}

int PhoneListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int PhoneListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant PhoneListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole) return {};
  const PhoneList::Row& row = rows_[std::size_t(index.row())];
  switch (index.column()) {
    case 0:
      return row.name;
    case 1:
      return row.number;
    default:
      return row.field;
  }
}

QVariant PhoneListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  const char* titles[] = {"Name", "Number", "Found In"};
  return section >= 0 && section < 3 ? QString::fromLatin1(titles[section]) : QVariant();
}

PhoneListSheet::PhoneListSheet(std::vector<PhoneList::Row> rows, QWidget* parent)
    : Sheet(parent), model_(new PhoneListModel(std::move(rows), this)) {
  setObjectName(QStringLiteral("myPhoneListSheet"));
  setWindowTitle(QStringLiteral("Phone List"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QStringLiteral("Phone numbers in the account, user ID and note of the records shown."), this);
  intro->setWordWrap(true);
  layout->addWidget(intro);
  view_ = new QTableView(this);
  view_->setModel(model_);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setAlternatingRowColors(true);
  view_->setShowGrid(false);
  view_->verticalHeader()->hide();
  view_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  view_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  view_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  layout->addWidget(view_, 1);
  empty_ = new QLabel(QStringLiteral("No phone numbers in the records shown."), this);
  empty_->setAlignment(Qt::AlignCenter);
  empty_->setEnabled(false);  // drawn as a hint
  layout->addWidget(empty_, 1);
  const bool none = model_->rowCount() == 0;
  view_->setVisible(!none);
  empty_->setVisible(none);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  close_ = buttons->button(QDialogButtonBox::Close);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &PhoneListSheet::closePhoneListSheet);
  resize(520, 340);
}

void PhoneListSheet::closePhoneListSheet() { endSheet(AbortReturn); }

void PhoneListSheet::hideEvent(QHideEvent* event) {
  // Not while it still runs: a minimised window hides its sheet too.
  if (!isSheetRunning()) model_->clear();
  Sheet::hideEvent(event);
}
