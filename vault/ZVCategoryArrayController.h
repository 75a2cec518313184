#pragma once

#include "platform/ArrayController.h"
#include "platform/ChangeCounting.h"

// A list of titled entries: finds titles not yet in use and makes entries with them.
class ZVCategoryArrayController : public ArrayController {
  Q_OBJECT

 public:
  static constexpr int kMaxNumberedTitles = 31999;

  explicit ZVCategoryArrayController(QObject* parent = nullptr) : ArrayController(parent) {}

  ChangeCounting* myDoc = nullptr;

  // YES when no entry of the arranged view holds, under key, a string equal to string.
  bool testForUnusedString(const QString& string, const QString& key) const;
  // base, else "base 1", "base 2", ... up to "base 31999" (returned even when taken).
  QString unusedCategoryNameWithPostfix(const QString& base) const;
  DictRef newObject() override;
  DictRef getLastCategory() const;
  void controlTextDidChange();
};
