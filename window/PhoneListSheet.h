#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "platform/Sheet.h"
#include "window/PhoneList.h"

class QLabel;
class QPushButton;
class QTableView;

// The phone list's rows: record, number and field, read only. The texts are let go, wiped
// when no one else holds them, by clear and with the model.
class PhoneListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  PhoneListModel(std::vector<PhoneList::Row> rows, QObject* parent = nullptr);
  ~PhoneListModel() override;
  void clear();
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<PhoneList::Row> rows_;
};

// The sheet that lists the phone numbers of the records the table shows, so that a hotline
// or a number kept in a note is found at a glance.
class PhoneListSheet : public Sheet {
  Q_OBJECT

 public:
  PhoneListSheet(std::vector<PhoneList::Row> rows, QWidget* parent = nullptr);

  QTableView* tableView() const { return view_; }
  PhoneListModel* model() const { return model_; }
  QLabel* emptyLabel() const { return empty_; }
  QPushButton* closeButton() const { return close_; }
  void closePhoneListSheet();

 protected:
  // However the sheet ends (closed, or by a lock), the copied texts go at once.
  void hideEvent(QHideEvent* event) override;

 private:
  PhoneListModel* model_;
  QTableView* view_;
  QLabel* empty_;
  QPushButton* close_;
};
