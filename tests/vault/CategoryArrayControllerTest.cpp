#include "Common/ZVColorUtilOSX.h"
#include "tests/vault/RecordListFixture.h"
#include "vault/CategoryMembers.h"

namespace {

using CategoryArrayControllerTest = RecordListFixture;

void addTitled(ZVColoredCategoryArrayController& c, const QStringList& titles) {
  for (const auto& t : titles) c.addWithName(t);
}

TEST_F(CategoryArrayControllerTest, FirstFreeTitle) {
  struct Case {
    QStringList taken;
    QString next;
  };
  const Case cases[] = {
      {{}, QStringLiteral("Generic")},
      {{QStringLiteral("Generic"), QStringLiteral("Generic 1")}, QStringLiteral("Generic 2")},
      {{QStringLiteral("Generic 1")}, QStringLiteral("Generic")},
      {{QStringLiteral("generic")}, QStringLiteral("Generic")},  // case-sensitive
      {{QStringLiteral("Generic"), QStringLiteral("Generic 2")}, QStringLiteral("Generic 1")},
  };
  for (const auto& c : cases) {
    ZVColoredCategoryArrayController controller;
    addTitled(controller, c.taken);
    EXPECT_EQ(controller.newObject()->value(CategoryKeys::category()).toString(), c.next)
        << c.taken.join(u',').toStdString();
  }
}

TEST_F(CategoryArrayControllerTest, NumberedTitlesStopAt31999) {
  QStringList taken{QStringLiteral("Generic")};
  for (int i = 1; i <= 31999; ++i) taken << QStringLiteral("Generic %1").arg(i);
  ZVColoredCategoryArrayController controller;
  std::vector<Value> entries;
  for (const auto& t : taken) {
    auto d = Dictionary::create();
    d->setValue(CategoryKeys::category(), t);
    entries.emplace_back(d);
  }
  controller.setContent(Array::create(std::move(entries)));
  EXPECT_EQ(controller.unusedCategoryNameWithPostfix(QStringLiteral("Generic")), u"Generic 31999");
  // The plain controller names its entries from "Untitled".
  ZVCategoryArrayController plain;
  EXPECT_EQ(plain.newObject()->value(CategoryKeys::category()).toString(), u"Untitled");
}

TEST_F(CategoryArrayControllerTest, NewCategoryTemplate) {
  const DictRef c = categories.newObject();
  EXPECT_EQ(c->keys(),
            (QStringList{QStringLiteral("cat_category"), QStringLiteral("cat_backColor"),
                         QStringLiteral("cat_textColor"), QStringLiteral("cat_howManyUsingThis"),
                         QStringLiteral("cat_uniqueID")}));
  const DictRef back = c->value(CategoryKeys::backColor()).toDictionary();
  EXPECT_EQ(back->value(u"r").type(), Value::Type::Double);
  EXPECT_EQ(back->value(u"r").toDouble(), 0.75);
  EXPECT_EQ(back->value(u"a").type(), Value::Type::Integer);
  const DictRef text = c->value(CategoryKeys::textColor()).toDictionary();
  for (const char16_t* k : {u"r", u"g", u"b", u"a"}) {
    EXPECT_EQ(text->value(k).type(), Value::Type::Integer);
    EXPECT_EQ(text->value(k).toInteger(), 1);
  }
  EXPECT_EQ(c->value(CategoryKeys::uniqueID()).toInteger(), 1);
  EXPECT_EQ(countOf(c), 0);
  ASSERT_NE(CategoryMembers::of(*c), nullptr);
  EXPECT_TRUE(CategoryMembers::of(*c)->isEmpty());
  EXPECT_EQ(categories.content()->count(), 0);  // not yet in the list
}

TEST_F(CategoryArrayControllerTest, IdentifiersAreTheSmallestFree) {
  for (qint64 id : {1, 2, 4}) {
    auto c = categories.addDefault();
    c->setValue(CategoryKeys::uniqueID(), Value::integer(id));
  }
  EXPECT_EQ(categories.newUniqueID(), 3);
  EXPECT_FALSE(categories.testForNewUniqueID(4));
  // An empty category goes and its identifier is free again.
  categories.setSelectedObjects({categories.getCategoryWithUniqueID(1)});
  categories.remove();
  EXPECT_EQ(categories.newUniqueID(), 1);
  // A category without an identifier counts as 0.
  categories.content()->at(0).toDictionary()->removeValue(CategoryKeys::uniqueID());
  EXPECT_FALSE(categories.testForNewUniqueID(0));
}

TEST_F(CategoryArrayControllerTest, RemovedCategoryKeepsItsIdentifierWhileRecordsReferToIt) {
  const DictRef record = addRecord("kept");
  const DictRef generic = categoryOf(record);
  const DictRef other = categories.addWithName(QStringLiteral("Other"));
  categories.setSelectedObjects({generic});
  categories.remove();
  EXPECT_EQ(categoryOf(record), generic);  // records keep their category
  EXPECT_EQ(categories.newUniqueID(), 3);  // not 1: "kept" still carries 1
  // Once the record has moved on, the identifier is free.
  records.assignCategory(other, record);
  EXPECT_EQ(categories.newUniqueID(), 1);
}

TEST_F(CategoryArrayControllerTest, LookupsAnswerTheFirstInContentOrder) {
  const DictRef first = categories.addWithName(QStringLiteral("Same"));
  const DictRef second = categories.addWithName(QStringLiteral("Same"));
  EXPECT_NE(first, second);  // addWithName does not test uniqueness
  categories.setSortDescriptors({{CategoryKeys::uniqueID(), false, {}}});
  categories.rearrangeObjects();
  EXPECT_EQ(categories.categoryWithTitle(QStringLiteral("Same")), first);
  EXPECT_EQ(categories.categoryWithTitle(QStringLiteral("same")), nullptr);
  EXPECT_EQ(categories.getCategoryWithUniqueID(2), second);
  EXPECT_EQ(categories.getCategoryWithUniqueID(9), nullptr);
  EXPECT_EQ(categories.getLastCategory(), second);
  ZVColoredCategoryArrayController empty;
  EXPECT_EQ(empty.getLastCategory(), nullptr);
}

TEST_F(CategoryArrayControllerTest, DeltaOperations) {
  const DictRef shown = categories.addWithName(QStringLiteral("Shown"));
  const DictRef hidden = categories.addWithName(QStringLiteral("Hidden"));
  categories.setFilterPredicate([&](const DictRef& c) { return c != hidden; });
  EXPECT_TRUE(categories.incrementObj(shown, 3));
  EXPECT_FALSE(categories.incrementObj(hidden, 3));  // not in the arranged view
  EXPECT_EQ(countOf(shown), 3);
  EXPECT_EQ(countOf(hidden), 0);
  EXPECT_TRUE(categories.incrementObjUsingThisInCategoryWithUniqueID(2, -1));  // any category
  EXPECT_EQ(countOf(hidden), -1);
  EXPECT_FALSE(categories.incrementObjUsingThisInCategoryWithUniqueID(0, 1));
  EXPECT_FALSE(categories.incrementObjUsingThisInCategoryWithUniqueID(77, 1));
  EXPECT_EQ(countOf(shown), 3);
}

TEST_F(CategoryArrayControllerTest, AncientReleaseListsAreCompletedAndRenumbered) {
  const ArrayRef empty = Array::create();
  categories.adjustFromAncientRelease(empty);
  ASSERT_EQ(empty->count(), 1);
  EXPECT_EQ(empty->at(0).toDictionary()->value(CategoryKeys::uniqueID()).toInteger(), 1);
  EXPECT_EQ(categories.content()->count(), 0);  // the given list, not the controller

  const ArrayRef three = Array::create();
  for (qint64 id : {7, 3, 9}) {
    auto c = Dictionary::create();
    c->setValue(CategoryKeys::category(), QStringLiteral("c%1").arg(id));
    c->setValue(CategoryKeys::uniqueID(), Value::integer(id));
    three->append(c);
  }
  auto custom = Dictionary::create();
  three->at(1).toDictionary()->setValue(CategoryKeys::backColor(), custom);
  three->at(2).toDictionary()->setValue(CategoryKeys::howManyUsingThis(), Value::integer(5));
  categories.adjustFromAncientRelease(three);
  for (qsizetype i = 0; i < 3; ++i) {
    const DictRef c = three->at(i).toDictionary();
    EXPECT_EQ(c->value(CategoryKeys::uniqueID()).toInteger(), i + 1);
    EXPECT_TRUE(c->value(CategoryKeys::textColor()).isDictionary());
  }
  EXPECT_EQ(three->at(1).toDictionary()->value(CategoryKeys::backColor()).toDictionary(), custom);
  EXPECT_EQ(three->at(0)
                .toDictionary()
                ->value(CategoryKeys::backColor())
                .toDictionary()
                ->value(u"r")
                .toDouble(),
            0.75);
  EXPECT_EQ(countOf(three->at(0).toDictionary()), 0);
  EXPECT_EQ(countOf(three->at(2).toDictionary()), 5);
}

TEST_F(CategoryArrayControllerTest, OldReleaseColourObjectsBecomeColourDictionaries) {
  auto category = Dictionary::create();
  category->setValue(CategoryKeys::backColor(), Value::data("grey"));
  category->setValue(CategoryKeys::textColor(), Value::data("pattern"));
  const ArrayRef list = Array::create({Value(category)});
  categories.adjustFromOldRelease(list, [](const Value& v) -> std::optional<Color> {
    if (v.toData() == "grey") return Color::calibratedWhite(0.5f, 1.0f);
    return std::nullopt;
  });
  const Color back = ZVColorUtilOSX::NSColorFromDict(category->value(CategoryKeys::backColor()));
  EXPECT_EQ(back.usingCalibratedRGB(), (Rgba{0.5f, 0.5f, 0.5f, 1.0f}));
  // An unreadable colour still gives all four keys: opaque black.
  const DictRef text = category->value(CategoryKeys::textColor()).toDictionary();
  ASSERT_TRUE(text);
  EXPECT_EQ(text->count(), 4);
  EXPECT_EQ(text->value(u"a").toDouble(), 1.0);
}

}  // namespace
