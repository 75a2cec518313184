#pragma once

#include <QAbstractListModel>
#include <QPointer>

#include "platform/Sheet.h"

class ArrayController;
class EmailList;
class QListView;
class QPushButton;

// The e-mail list's rows, kept in step with the list one row at a time; addresses are edited
// in place.
class EmailListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  explicit EmailListModel(EmailList* list, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  QPointer<EmailList> list_;
};

// The sheet where the user keeps the document's e-mail addresses: add, delete, edit in place.
class EmailListSheet : public Sheet {
  Q_OBJECT

 public:
  EmailListSheet(EmailList* list, QWidget* parent = nullptr);

  QListView* listView() const { return view_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* deleteButton() const { return delete_; }
  void closeEmailListSheet();

 private:
  void selectionFromView();
  void selectionFromList();
  void updateButtons();

  EmailList* list_;
  EmailListModel* model_;
  QListView* view_;
  QPushButton* add_;
  QPushButton* delete_;
  bool syncing_ = false;
};
