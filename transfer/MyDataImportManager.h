#pragma once

#include "transfer/ZVDataImportManager.h"

// The vault document's import: its ten record fields behind destinations 2 to 11, records
// that carry their category's title until the document links them, and the hand-back to
// the document when the import ends.
class MyDataImportManager : public ZVDataImportManager {
  Q_OBJECT

 public:
  // The key that holds an imported record's category title until the document links it.
  static QString categoryNAME() { return QStringLiteral("categoryNAME"); }

  MyDataImportManager(ArrayRef dataArray, ArrayRef keyArray, ZVImporter* sender,
                      QObject* parent = nullptr);

 protected:
  DictRef createNewObjectToImport() override;
  // The vault's fields take no "all columns to one new field" tool.
  void preImportSettings() override { setOffersAllToNewColumns(false); }
  void didImport() override;
};
