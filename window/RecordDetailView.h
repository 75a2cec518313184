#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "Common/ZVUrlResolutor.h"
#include "platform/Value.h"

class QLabel;
class QPlainTextEdit;
class QCheckBox;
class QLineEdit;
class QvltTextFieldExt;
class ZVDragDropViewFileUrl;
class QToolButton;

// Shows the selected record's category as a label with rounded ends; its context menu copies
// the title (no use of the record counted, no notice).
class CategoryView : public QWidget {
  Q_OBJECT

 public:
  explicit CategoryView(QWidget* parent = nullptr);
  // shown: a record is shown (one without a category shows an empty label).
  void setCategory(const DictRef& category, bool shown);
  QSize sizeHint() const override;
  // The category's title on the clipboard, the empty text when the record has none; nothing
  // with no record shown.
  void CopyInClipboard();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  DictRef category_;
  bool shown_ = false;
};

// The detail view of the selected record: its fields, each with a copy button, an open button
// for the URL, its category and its dates. Filling it never reports an edit; only what the user
// types does, with the record shown when the typing began.
class RecordDetailView : public QWidget {
  Q_OBJECT

 public:
  explicit RecordDetailView(QWidget* parent = nullptr);

  const DictRef& record() const { return record_; }
  void setRecord(const DictRef& record);
  // Refreshes the dates and count of the shown record.
  void refreshStamps();
  void setEditable(bool editable);
  void setShowClearPassword(bool show);

  // Where the category menu beside the label takes its categories from, one item per category
  // in the order categoryChosen counts them; the shown record's own is marked.
  void setCategorySource(std::function<std::vector<DictRef>()> source) {
    categories_ = std::move(source);
  }
  QToolButton* categoryPopupButton() const { return categoryPopup_; }
  // Whether the category menu may move the shown record: not while it stands for a
  // selection of several records.
  void setCategoryChangeAllowed(bool allowed);
  CategoryView* categoryView() const { return category_; }
  // Where the e-mail menu beside the e-mail field takes its addresses from.
  void setEmailAddressSource(std::function<QStringList()> source) {
    emailAddresses_ = std::move(source);
  }
  // Puts a chosen address in the e-mail field, as if typed.
  void insertEmailFromPopup(const QString& address);
  QToolButton* emailPopupButton() const { return emailPopup_; }
  // Where files and web addresses are dropped to become the record's URL.
  ZVDragDropViewFileUrl* dropArea() const { return dropArea_; }

  QvltTextFieldExt* field(const QString& key) const;
  QToolButton* copyButton(const QString& key) const;
  // Opens the URL field's text as an address.
  QToolButton* openUrlButton() const { return openUrl_; }
  QPlainTextEdit* noteView() const { return note_; }
  QCheckBox* showClearPasswordBox() const { return showClear_; }

 Q_SIGNALS:
  // The user changed the note or a field of record (the one shown when the change was made).
  void textDidChange(const DictRef& record, const QString& key, QPlainTextEdit* view);
  void controlTextDidChange(const DictRef& record, const QString& key, QLineEdit* field);
  // A copy button copied its field; tag names the field.
  void textCopiedInClipboard(int tag);
  void showClearPasswordToggled();
  // The open button's address was not opened.
  void urlNotOpened(const UrlFailure& failure);
  // The category menu's item at index was chosen for the shown record.
  void categoryChosen(int index);

 private:
  struct Field {
    QString key;
    QvltTextFieldExt* edit;
    QToolButton* copy;
  };
  void addField(class QGridLayout* grid, int row, const QString& title, const QString& key,
                int copyTag);
  void updateCategoryPopup();

  DictRef record_;
  std::vector<Field> fields_;
  QPlainTextEdit* note_ = nullptr;
  CategoryView* category_ = nullptr;
  QLabel* created_ = nullptr;
  QLabel* modified_ = nullptr;
  QLabel* used_ = nullptr;
  QCheckBox* showClear_ = nullptr;
  QToolButton* emailPopup_ = nullptr;
  QToolButton* categoryPopup_ = nullptr;
  QToolButton* openUrl_ = nullptr;
  std::function<std::vector<DictRef>()> categories_;
  ZVDragDropViewFileUrl* dropArea_ = nullptr;
  std::function<QStringList()> emailAddresses_;
  bool filling_ = false;
  bool editable_ = false;
  bool categoryChangeAllowed_ = true;
};
