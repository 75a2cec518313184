#include "transfer/DocumentTextTransfer.h"

#include <QPointer>

#include "transfer/DataExportFlow.h"
#include "transfer/DataImportFlow.h"
#include "transfer/ImportedRecords.h"
#include "vault/MyDocument.h"

DocumentTextTransfer::DocumentTextTransfer(MyDocument& document) : document_(document) {}

DocumentTextTransfer::~DocumentTextTransfer() = default;

void DocumentTextTransfer::importFromTextFile() {
  // The records wait in a list of their own until the import ends.
  myDataImportManager_ =
      std::make_unique<MyDataImportManager>(Array::create(), document_.myKeyArrayForImport(), this);
  // A skipped first row is dropped, never kept as column names.
  myDataImportManager_->setNotVisibleFirstRecAsNameOption(true);
  DataImportFlow::loadDataForWin(myDataImportManager_.get(), document_.myWindow(),
                                 document_.fileURL());
}

bool DocumentTextTransfer::acceptsImportedRecords() const { return document_.isDecrypted(); }

void DocumentTextTransfer::justFinishedImporting() {
  if (!myDataImportManager_ || document_.isEncrypted()) return;
  Vault& vault = document_.vault();
  const qsizetype added =
      ImportedRecords::addToLists(myDataImportManager_->outsideDataArray(),
                                  vault.recordController(), vault.categoryController());
  if (added > 0) document_.updateChangeCount(ChangeCounting::ChangeDone);
  if (VaultWindow* window = document_.window()) window->synkCategorySubMenu();
}

void DocumentTextTransfer::exportRecords(std::vector<DictRef> records) {
  exportMgr_ =
      std::make_unique<ZVDataExportManager>(std::move(records), document_.myKeyArrayForExport());
  exportMgr_->setSuggestedFileName(
      ZVDataExportManager::suggestedFileNameFor(document_.displayName()));
  QPointer<MyDocument> document(&document_);
  DataExportFlow::run(
      exportMgr_.get(), document_.myWindow(),
      [document] { return document && document->isDecrypted(); }, document_.fileURL());
}
