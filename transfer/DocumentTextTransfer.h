#pragma once

#include <memory>

#include "transfer/MyDataImportManager.h"
#include "transfer/ZVDataExportManager.h"
#include "transfer/ZVImporter.h"
#include "vault/DocumentTransfer.h"

class MyDocument;

// A vault document's import and export of text files: it runs the import's and the
// export's dialogs on the document's window, keeps the import's and the export's state
// while they run, and brings the imported records into the document's lists.
class DocumentTextTransfer : public DocumentTransfer, public ZVImporter {
 public:
  explicit DocumentTextTransfer(MyDocument& document);
  ~DocumentTextTransfer() override;

  void importFromTextFile() override;
  void exportRecords(std::vector<DictRef> records) override;
  MyDataImportManager* myDataImportManager() const { return myDataImportManager_.get(); }
  ZVDataExportManager* exportMgr() const { return exportMgr_.get(); }

  bool acceptsImportedRecords() const override;
  // Links the imported records to their categories and adds them to the record list.
  void justFinishedImporting() override;

 private:
  MyDocument& document_;
  std::unique_ptr<MyDataImportManager> myDataImportManager_;
  std::unique_ptr<ZVDataExportManager> exportMgr_;
};
