#pragma once

#include <QPointer>

#include "platform/Sheet.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QToolButton;
class ZVDataImportManager;

// The import's settings sheet ("Importer"): the file's format and encoding with the
// separator and encoding it was read with (a change reads the file again, under the loading
// sheet), one line per column of the file with its mark, its text in the record on
// show and its destination pop-up, browsing through the records, the mapping tools, and
// Import. It ends with ImportReturn or CancelReturn.
class ImporterSheet : public Sheet {
  Q_OBJECT

 public:
  static constexpr int ImportReturn = 1;
  static constexpr int CancelReturn = 0;
  // Columns of the mapping table.
  enum Column { NumberColumn, MarkColumn, ValueColumn, DestinationColumn };

  explicit ImporterSheet(ZVDataImportManager* manager, QWidget* parent = nullptr);

  QComboBox* formatChoice() const { return format_; }
  QComboBox* encodingChoice() const { return encoding_; }
  QLabel* encodingUsed() const { return encodingUsed_; }
  QLabel* separatorUsed() const { return separatorUsed_; }
  QTableWidget* mappingTable() const { return table_; }
  QComboBox* destinationPopUp(int column) const;
  QLabel* recordPosition() const { return position_; }
  QPushButton* previousButton() const { return previous_; }
  QPushButton* nextButton() const { return next_; }
  QToolButton* toolsButton() const { return tools_; }
  QCheckBox* skipFirstRow() const { return skipFirst_; }
  QCheckBox* useFirstRowAsFieldNames() const { return useFirstRow_; }
  QPushButton* importButton() const { return import_; }
  QPushButton* cancelButton() const { return cancel_; }

 private:
  // A destination chosen in a column's pop-up.
  void dataLoadingPopUpSelected(qsizetype column, int index);
  void rebuildRows();
  void showMapping();
  void showRecord();
  void showLoadedChoices();
  void showFirstRowOptions();
  void reloadWithChoices();

  QPointer<ZVDataImportManager> manager_;
  QLabel* file_ = nullptr;
  QComboBox* format_ = nullptr;
  QComboBox* encoding_ = nullptr;
  QLabel* encodingUsed_ = nullptr;
  QLabel* separatorUsed_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* position_ = nullptr;
  QLabel* imported_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* next_ = nullptr;
  QToolButton* tools_ = nullptr;
  QCheckBox* skipFirst_ = nullptr;
  QCheckBox* useFirstRow_ = nullptr;
  QPushButton* import_ = nullptr;
  QPushButton* cancel_ = nullptr;
};
