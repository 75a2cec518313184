#pragma once

#include <QPointer>

#include "platform/Sheet.h"

class CategoryTableModel;
class Dictionary;
class MyCatEditDelegate;
class MyCategoryTableDelegate;
class MyDocument;
class QColorDialog;
class QLabel;
class QPushButton;
class QTableView;

// The categories sheet of a document window: a table of coloured labels where the user
// adds, retitles, recolours and removes categories. A category that records use cannot be
// removed (its records would lose it at the next opening). Every change marks the document
// edited and redraws the record table; the window rebuilds its category menu after each
// addition or removal and when the sheet closes.
class CategoriesSheet : public Sheet {
  Q_OBJECT

 public:
  CategoriesSheet(MyDocument* document, const QFont& labelFont, QWidget* parent = nullptr);

  QTableView* categoryTable() const { return table_; }
  const QFont& labelFont() const;
  // Redraws the labels in that font, the rows as tall as it needs.
  void setLabelFont(const QFont& font);
  QPushButton* addButton() const { return add_; }
  QPushButton* removeButton() const { return remove_; }
  // Why Remove is off for the selected categories, while records use them; empty otherwise.
  QLabel* removeHint() const { return removeHint_; }
  QPushButton* colourButton() const { return colour_; }
  QPushButton* textColourButton() const { return textColour_; }
  // The colour dialog while it is open.
  QColorDialog* colourDialog() const;

  void addNewCategory();
  void removeCategory();
  // Opens the desktop's colour dialog for the selected categories' fill (or text) colour.
  void chooseColour(bool textColour);
  void closeCategoriesSheet();
  // Redraws after a colour edit and marks the document edited.
  void synkNotesWithCategory();

 Q_SIGNALS:
  // Redraw what shows categories (the record table's labels).
  void categoriesChanged();
  // Rebuild the category menu.
  void menuChanged();

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void selectionFromTable();
  void selectionFromList();
  void updateButtons();
  // The colour dialog's colour changed: into the selected categories' fill (or text).
  void colorChanged(const QColor& colour, bool textColour);
  // Redraws the table and what shows categories elsewhere; marks nothing.
  void redrawCategories();
  void scrollCategoryViewToBottom();
  // Starts editing the title of that category, where the user types the new one.
  void editTitleOf(const Dictionary* category);

  QPointer<MyDocument> document_;
  CategoryTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  MyCatEditDelegate* editing_ = nullptr;
  MyCategoryTableDelegate* labels_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* colour_ = nullptr;
  QPushButton* textColour_ = nullptr;
  QLabel* removeHint_ = nullptr;
  QPointer<QColorDialog> colourDialog_;
};
