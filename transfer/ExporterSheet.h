#pragma once

#include <QPointer>
#include <vector>

#include "platform/Sheet.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListView;
class QPushButton;
class FieldKeyList;
class ZVDataExportManager;

// The export's settings sheet ("Exporter"): the fields offered and the fields chosen in
// column order with the buttons that move them, the format, the header row choice and the
// texts of the custom format. It ends with ExportReturn or CancelReturn.
class ExporterSheet : public Sheet {
  Q_OBJECT

 public:
  static constexpr int ExportReturn = 1;
  static constexpr int CancelReturn = 0;
  // The custom texts' boxes, in the order of ExportCustomStrings.
  enum CustomText {
    StartOfFile,
    EndOfFile,
    StartOfRecord,
    EndOfRecord,
    FieldOpen,
    FieldClose,
    Separator,
    CustomTextCount
  };

  explicit ExporterSheet(ZVDataExportManager* manager, QWidget* parent = nullptr);

  // The formats offered, in menu order (ExportFileFormat codes), and their titles.
  static const std::vector<qint32>& formats();
  static QString formatTitle(qint32 format);

  QListView* leftList() const { return left_; }
  QListView* rightList() const { return right_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* addAllButton() const { return addAll_; }
  QPushButton* removeButton() const { return remove_; }
  QPushButton* removeAllButton() const { return removeAll_; }
  QPushButton* moveUpButton() const { return up_; }
  QPushButton* moveDownButton() const { return down_; }
  QComboBox* formatChoice() const { return format_; }
  QCheckBox* fieldNamesRow() const { return header_; }
  QLineEdit* customText(CustomText which) const { return custom_[which]; }
  QCheckBox* endOfRecordAfterLast() const { return afterLast_; }
  QPushButton* exportButton() const { return export_; }
  QPushButton* cancelButton() const { return cancel_; }

  // Export: the manager's willExport hook, then the sheet ends with ExportReturn.
  void DoExportSetting();
  // Cancel: the sheet ends with CancelReturn and nothing is exported.
  void CancelExportSetting();

 private:
  QListView* makeList(FieldKeyList& list);
  void showFormat();
  void takeCustomTexts();
  void updateButtons();

  QPointer<ZVDataExportManager> manager_;
  QListView* left_ = nullptr;
  QListView* right_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* addAll_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* removeAll_ = nullptr;
  QPushButton* up_ = nullptr;
  QPushButton* down_ = nullptr;
  QComboBox* format_ = nullptr;
  QCheckBox* header_ = nullptr;
  QLineEdit* custom_[CustomTextCount] = {};
  QCheckBox* afterLast_ = nullptr;
  QPushButton* export_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool syncingSelection_ = false;
};
