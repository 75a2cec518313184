#include <map>

#include "tests/vault/RecordListFixture.h"
#include "vault/CategoryMembers.h"

namespace {

using FilteringArrayControllerTest = RecordListFixture;

TEST_F(FilteringArrayControllerTest, NewRecordHasTheThirteenKeysInOrder) {
  const DictRef r = records.newObject();
  const QStringList expected = {QStringLiteral("name"),
                                QStringLiteral("account"),
                                QStringLiteral("url"),
                                QStringLiteral("userID"),
                                QStringLiteral("password"),
                                QStringLiteral("pin"),
                                QStringLiteral("security"),
                                QStringLiteral("email"),
                                QStringLiteral("note"),
                                QStringLiteral("creationDate"),
                                QStringLiteral("modificationDate"),
                                QStringLiteral("usageCount"),
                                QStringLiteral("categoryPtr")};
  EXPECT_EQ(r->keys(), expected);
  for (int i = 0; i < 9; ++i) {
    EXPECT_TRUE(r->value(expected[i]).isString());
    EXPECT_TRUE(r->value(expected[i]).toString().isEmpty());
  }
  // Two readings of the clock, one after the other.
  EXPECT_EQ(r->value(u"creationDate").toDate(), Date{1000.0});
  EXPECT_EQ(r->value(u"modificationDate").toDate(), Date{1001.0});
  EXPECT_EQ(r->value(u"usageCount").type(), Value::Type::Integer);
  // Not listed by its category until it is added.
  EXPECT_EQ(CategoryMembers::of(*categoryOf(r))->count(), 0);
  EXPECT_EQ(countOf(categoryOf(r)), 0);
}

TEST_F(FilteringArrayControllerTest, CategoryLinksHoldThroughAnEditingSession) {
  // Empty document: the first record makes "Generic", appended to the category list.
  const DictRef first = addRecord("first");
  ASSERT_TRUE(linksHold());
  const DictRef generic = categoryOf(first);
  EXPECT_EQ(generic->value(CategoryKeys::category()).toString(), u"Generic");
  EXPECT_EQ(categories.content()->count(), 1);
  EXPECT_EQ(countOf(generic), 1);

  // One record selected: a new record takes its category.
  const DictRef banks = categories.addWithName(QStringLiteral("Banks"));
  records.setSelectedObjects({first});
  const DictRef second = addRecord("second");
  EXPECT_EQ(categoryOf(second), generic);
  ASSERT_TRUE(linksHold());

  // Several selected: the category of the last selected one.
  records.assignCategory(banks, second);
  records.setSelectionIndexes({0, 1});
  const DictRef third = addRecord("third");
  EXPECT_EQ(categoryOf(third), banks);
  ASSERT_TRUE(linksHold());

  // No record selected: the last category in content order, not display order.
  categories.setSortDescriptors({{CategoryKeys::category(), false, {}}});
  categories.rearrangeObjects();  // shows Generic before Banks
  const DictRef mail = categories.addWithName(QStringLiteral("Mail"));
  categories.setSelectedObjects({banks});
  records.setSelectionIndex(ArrayController::NotFound);
  EXPECT_EQ(records.catToAssignToNewObject(), mail);

  // Moving the selected record from Banks to Generic.
  records.setSelectedObjects({third});
  records.setCurrentObjectAccordingToCategory(generic);
  EXPECT_EQ(categoryOf(third), generic);
  EXPECT_EQ(countOf(banks), 1);
  EXPECT_EQ(countOf(generic), 2);
  ASSERT_TRUE(linksHold());

  // The category it already has: no change.
  EXPECT_FALSE(records.assignCategory(generic, third));
  EXPECT_EQ(countOf(generic), 2);

  // Deleting and putting back returns the record to the same category.
  records.removeObject(third);
  EXPECT_EQ(countOf(generic), 1);
  EXPECT_EQ(categoryOf(third), generic);  // a removed record still names its category
  ASSERT_TRUE(linksHold());
  records.addObject(third);
  EXPECT_EQ(countOf(generic), 2);
  ASSERT_TRUE(linksHold());

  // A duplicate goes right below the selected row and joins the category.
  records.setSelectedObjects({first});
  const qsizetype firstRow = records.selectionIndex();
  const DictRef copy = records.duplicateSelection();
  records.addObjectAfterSelection(copy);
  EXPECT_EQ(records.arrangedObjects()[std::size_t(firstRow + 1)], copy);
  EXPECT_EQ(countOf(generic), 3);
  ASSERT_TRUE(linksHold());

  // Removing the whole selection at once.
  records.setSelectedObjects({first, second, copy});
  records.remove();
  EXPECT_EQ(records.content()->count(), 1);
  ASSERT_TRUE(linksHold());
}

TEST_F(FilteringArrayControllerTest, RemovingARecordItsCategoryDoesNotListChangesNoCount) {
  const DictRef kept = addRecord("kept");
  const DictRef category = categoryOf(kept);
  auto stray = records.newObject();  // names the category, never added
  records.removeRecordFromCategory(stray);
  EXPECT_EQ(countOf(category), 1);
  // Nor for a category that is no longer in the category list.
  categories.setSelectedObjects({category});
  categories.remove();
  EXPECT_TRUE(records.removeRecordFromCategory(kept));
  EXPECT_EQ(countOf(category), 1);
}

TEST_F(FilteringArrayControllerTest, DuplicateKeepsFieldsAndCategoryWithFreshDatesAndNoCount) {
  const DictRef source = addRecord("source");
  source->setValue(RecordKeys::password(), QStringLiteral("s3cret"));
  source->setValue(RecordKeys::usageCount(), Value::integer(12));
  source->setValue(QStringLiteral("unknownKey"), Value::boolean(true));
  const DictRef copy = records.duplicateRecord(source);
  EXPECT_NE(copy, source);
  EXPECT_EQ(copy->value(RecordKeys::password()).toString(), u"s3cret");
  EXPECT_EQ(categoryOf(copy), categoryOf(source));
  EXPECT_TRUE(copy->value(u"unknownKey").toBool());
  EXPECT_FALSE(copy->contains(RecordKeys::usageCount()));
  EXPECT_GT(copy->value(RecordKeys::creationDate()).toDate(),
            source->value(RecordKeys::creationDate()).toDate());
  EXPECT_EQ(source->value(RecordKeys::usageCount()).toInteger(), 12);  // source untouched
  EXPECT_EQ(countOf(categoryOf(source)), 1);                           // not inserted yet
}

TEST_F(FilteringArrayControllerTest, ARecordWithoutCategoryNeverPassesNoneToANewRecord) {
  const DictRef orphan = records.newObject();
  orphan->removeValue(RecordKeys::categoryPtr());  // as loaded with an unknown identifier
  records.content()->append(orphan);
  records.rearrangeObjects();
  records.setSelectedObjects({orphan});
  categories.addWithName(QStringLiteral("Banks"));  // a selected category exists

  const DictRef fresh = records.newObject();
  const DictRef category = categoryOf(fresh);
  ASSERT_TRUE(category);
  EXPECT_EQ(category->value(CategoryKeys::category()).toString(), u"Generic");
  records.addObject(fresh);
  // A second one reuses that default category instead of making "Generic 1".
  records.setSelectedObjects({orphan});
  EXPECT_EQ(categoryOf(records.newObject()), category);
  EXPECT_EQ(categories.content()->count(), 2);
  // Assigning "none" follows the same rule.
  EXPECT_TRUE(records.assignCategory({}, orphan));
  EXPECT_EQ(categoryOf(orphan), category);
  EXPECT_TRUE(linksHold());
}

// As after unlocking a vault: both lists get their content at once, nothing picked yet.
TEST_F(FilteringArrayControllerTest, ANewRecordOfAnOpenedVaultJoinsAnExistingCategory) {
  struct Case {
    const char* what;
    bool withRecords;
    const char* expected;
  };
  const Case cases[] = {
      {"records listed: the first record's category", true, "Banks"},
      {"no records: the last category", false, "Mail"},
  };
  for (const auto& c : cases) {
    FilteringArrayController list;
    ZVColoredCategoryArrayController categoryList;
    list.myCategoryArrayController = &categoryList;
    auto categoryArray = Array::create();
    std::map<QString, DictRef> byTitle;
    for (const char* title : {"Banks", "Mail"}) {
      DictRef category = categoryList.newObject();
      category->setValue(CategoryKeys::category(), QString::fromLatin1(title));
      categoryArray->append(category);
      byTitle[QString::fromLatin1(title)] = category;
    }
    auto recordArray = Array::create();
    if (c.withRecords) {
      for (const char* title : {"Banks", "Mail"}) {
        DictRef record = Dictionary::create();
        record->setValue(RecordKeys::name(), QString::fromLatin1(title));
        list.assignCategory(byTitle[QString::fromLatin1(title)], record);
        recordArray->append(record);
      }
    }
    list.setContent(recordArray);
    categoryList.setContent(categoryArray);

    const DictRef fresh = list.newObject();
    ASSERT_TRUE(categoryOf(fresh)) << c.what;
    EXPECT_EQ(categoryOf(fresh)->value(CategoryKeys::category()).toString().toStdString(),
              c.expected)
        << c.what;
    EXPECT_TRUE(categoryOf(fresh) == byTitle[QString::fromLatin1(c.expected)]) << c.what;
    list.addObject(fresh);
    EXPECT_EQ(categoryList.content()->count(), 2) << c.what;  // no "Generic" made
    EXPECT_TRUE(categoryLinksHold(list, categoryList)) << c.what;
  }
}

TEST_F(FilteringArrayControllerTest, OperationsThatNeedASelectionAreSafeWithout) {
  const DictRef a = addRecord("a");
  addRecord("b");
  records.setSelectionIndex(ArrayController::NotFound);
  EXPECT_EQ(records.duplicateSelection(), nullptr);
  const DictRef banks = categories.addWithName(QStringLiteral("Banks"));
  records.setCurrentObjectAccordingToCategory(banks);  // nothing to change
  EXPECT_EQ(countOf(banks), 0);
  const DictRef c = records.duplicateRecord(a);
  records.addObjectAfterSelection(c);  // appended at the end
  EXPECT_EQ(records.arrangedObjects().back(), c);
  EXPECT_TRUE(linksHold());
}

TEST_F(FilteringArrayControllerTest, TypingInAFieldMarksTheDocumentEdited) {
  records.controlTextDidChange();
  categories.controlTextDidChange();
  EXPECT_EQ(document.kinds, (std::vector<int>{0, 0}));
}

}  // namespace

namespace {

TEST(CategoryLinkLifetimeTest, ClosingTheListsFreesRecordsAndCategories) {
  std::weak_ptr<Dictionary> record, category;
  {
    auto categories = std::make_unique<ZVColoredCategoryArrayController>();
    auto records = std::make_unique<FilteringArrayController>();
    records->myCategoryArrayController = categories.get();
    DictRef r = records->newObject();
    r->setValue(RecordKeys::password(), QStringLiteral("secret"));
    records->addObject(r);
    record = r;
    category = r->value(RecordKeys::categoryPtr()).toDictionary();
    records.reset();
    categories.reset();
  }
  EXPECT_TRUE(record.expired());
  EXPECT_TRUE(category.expired());
}

}  // namespace
