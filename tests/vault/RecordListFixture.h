#pragma once

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/Date.h"
#include "tests/vault/CategoryLinkChecker.h"
#include "vault/CategoryMembers.h"

struct ChangeCounter : ChangeCounting {
  std::vector<int> kinds;
  void updateChangeCount(int kind) override { kinds.push_back(kind); }
};

// A document's two list controllers wired as the document window wires them, with a clock
// that moves one second per reading.
class RecordListFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    records.myDoc = &document;
    records.myCategoryArrayController = &categories;
    categories.myDoc = &document;
    Clock::setSource([this] { return Date{1000.0 + ticks++}; });
  }
  void TearDown() override {
    // Records name their category and categories list their records: break the cycle, as a
    // vault does when it lets its lists go.
    if (const ArrayRef all = categories.content())
      for (const Value& v : all->values())
        if (Dictionary* category = v.dictionaryPointer())
          if (IdentitySet* members = CategoryMembers::of(*category)) members->clear();
    Clock::setSource({});
  }

  DictRef addRecord(const char* name) {
    DictRef r = records.newObject();
    r->setValue(RecordKeys::name(), QString::fromLatin1(name));
    records.addObject(r);
    return r;
  }
  static qint64 countOf(const DictRef& category) {
    return category->value(CategoryKeys::howManyUsingThis()).toInteger(-1);
  }
  static DictRef categoryOf(const DictRef& record) {
    return record->value(RecordKeys::categoryPtr()).toDictionary();
  }
  ::testing::AssertionResult linksHold() const { return categoryLinksHold(records, categories); }

  ChangeCounter document;
  FilteringArrayController records;
  ZVColoredCategoryArrayController categories;
  int ticks = 0;
};
