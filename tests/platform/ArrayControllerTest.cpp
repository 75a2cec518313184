#include <gtest/gtest.h>

#include <QSignalSpy>
#include <functional>

#include "platform/ArrayController.h"

namespace {

DictRef named(const char* name, qint64 rank = 0) {
  auto d = Dictionary::create();
  d->setValue(QStringLiteral("name"), QString::fromLatin1(name));
  d->setValue(QStringLiteral("rank"), Value::integer(rank));
  return d;
}

QStringList arrangedNames(const ArrayController& c) {
  QStringList out;
  for (const auto& d : c.arrangedObjects()) out << d->value(u"name").toString();
  return out;
}

QStringList contentNames(const ArrayController& c) {
  QStringList out;
  for (const auto& v : c.content()->values()) out << v.toDictionary()->value(u"name").toString();
  return out;
}

QStringList names(std::initializer_list<const char*> list) {
  QStringList out;
  for (const char* n : list) out << QString::fromLatin1(n);
  return out;
}

class ArrayControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto [n, r] : {std::pair{"delta", 4}, {"alpha", 1}, {"charlie", 3}, {"bravo", 2}})
      controller.addObject(named(n, r));
  }
  ArrayController controller;
};

TEST_F(ArrayControllerTest, AddAppendsShowsAndSelectsAndSharesTheContent) {
  const ArrayRef shared = controller.content();
  auto echo = named("echo");
  controller.addObject(echo);
  EXPECT_EQ(shared->count(), 5);  // the owner's list is the controller's content
  EXPECT_EQ(controller.selectedObjects(), std::vector<DictRef>{echo});
  EXPECT_EQ(controller.selectionIndex(), 4);
}

TEST_F(ArrayControllerTest, AddingManyArrangesOnceUnderFilterAndSort) {
  controller.setSelectionIndex(1);  // alpha
  controller.setSortDescriptors({{QStringLiteral("rank"), true, {}}});
  controller.setFilterPredicate(
      [](const DictRef& d) { return d->value(u"rank").toInteger() != 5; });
  QSignalSpy resets(&controller, &ArrayController::arrangedObjectsReset);
  QSignalSpy inserts(&controller, &ArrayController::objectInserted);
  controller.addObjects({named("echo", 0), DictRef(), named("foxtrot", 5), named("golf", 9)});
  EXPECT_EQ(contentNames(controller),
            names({"delta", "alpha", "charlie", "bravo", "echo", "foxtrot", "golf"}));
  EXPECT_EQ(arrangedNames(controller),
            names({"echo", "alpha", "bravo", "charlie", "delta", "golf"}));
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(inserts.count(), 0);
  EXPECT_EQ(controller.selectedObjects().front()->value(u"name").toString(),
            QStringLiteral("alpha"));
}

TEST_F(ArrayControllerTest, FilterAppliesAtOnceAndSortWaitsForRearrange) {
  controller.setFilterPredicate(
      [](const DictRef& d) { return d->value(u"rank").toInteger() != 3; });
  EXPECT_EQ(arrangedNames(controller), names({"delta", "alpha", "bravo"}));
  controller.setSortDescriptors({{QStringLiteral("name"), true, {}}});
  EXPECT_EQ(arrangedNames(controller), names({"delta", "alpha", "bravo"}));
  controller.rearrangeObjects();
  EXPECT_EQ(arrangedNames(controller), names({"alpha", "bravo", "delta"}));
  controller.setSortDescriptors({{QStringLiteral("rank"), false, {}}});
  controller.rearrangeObjects();
  EXPECT_EQ(arrangedNames(controller), names({"delta", "bravo", "alpha"}));
  EXPECT_FALSE(controller.arrangedObjectsContain(controller.content()->at(2).dictionaryPointer()));
  EXPECT_EQ(controller.content()->count(), 4);  // filtering never touches the content
}

TEST_F(ArrayControllerTest, NarrowingKeepsTheShownOrderAndTheSelectionWithoutSorting) {
  controller.setSortDescriptors({{QStringLiteral("name"), true, {}}});
  controller.rearrangeObjects();           // alpha bravo charlie delta
  controller.setSelectionIndexes({1, 2});  // bravo, charlie
  // A shown row edited after the sort stays where it is.
  controller.arrangedObjects()[0]->setValue(QStringLiteral("name"), QStringLiteral("zulu"));
  QSignalSpy resets(&controller, &ArrayController::arrangedObjectsReset);
  controller.narrowFilterPredicate(
      [](const DictRef& d) { return d->value(u"rank").toInteger() != 2; });
  EXPECT_EQ(arrangedNames(controller), names({"zulu", "charlie", "delta"}));
  EXPECT_EQ(controller.selectionIndexes(), std::vector<qsizetype>{1});
  EXPECT_EQ(resets.count(), 1);
  // The filter stays for later rearrangements, which sort again.
  controller.rearrangeObjects();
  EXPECT_EQ(arrangedNames(controller), names({"charlie", "delta", "zulu"}));
}

// The sorted content is kept between arrangements; whatever changed since, a filter set or
// cleared must show what a sort made afresh would.
TEST(ArrayControllerSortedContent, FollowsEveryChangeMadeSinceTheLastSort) {
  using Change = std::function<void(Array&)>;
  const auto record = [](const Array& content, qsizetype i) {
    return content.at(i).dictionaryPointer();
  };
  const auto team = Dictionary::create();
  team->setValue(QStringLiteral("title"), QStringLiteral("m"));
  const auto collator = std::make_shared<const Collation>(QLocale::c(), false);
  const struct {
    const char* what;
    const char* keyPath;
    bool collated;
    Change change;
  } cases[] = {
      {"a name edited to one of the same length", "name", false,
       [&](Array& c) { record(c, 1)->setValue(QStringLiteral("name"), QStringLiteral("zzzzz")); }},
      {"a name edited, collated", "name", true,
       [&](Array& c) { record(c, 0)->setValue(QStringLiteral("name"), QStringLiteral("Aaron")); }},
      {"a name removed", "name", true, [&](Array& c) { record(c, 2)->removeValue(u"name"); }},
      {"a rank changed", "rank", false,
       [&](Array& c) { record(c, 0)->setValue(QStringLiteral("rank"), Value::integer(0)); }},
      {"an object added to the content behind the list's back", "name", true,
       [&](Array& c) { c.append(named("able", 7)); }},
      {"an object taken from the content", "name", false, [&](Array& c) { c.removeAt(1); }},
      {"equal names swapped in the content (the sort is stable)", "rank", false,
       [&](Array& c) {
         record(c, 3)->setValue(QStringLiteral("rank"), Value::integer(3));
         const Value first = c.at(2);
         c.removeAt(2);
         c.append(first);
       }},
      {"a shared dictionary on the key path renamed", "team.title", false,
       [&](Array&) { team->setValue(QStringLiteral("title"), QStringLiteral("a")); }},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    ArrayController kept;
    int rank = 4;
    for (const char* n : {"delta", "alpha", "charlie", "bravo", "echo"}) {
      auto d = named(n, rank--);
      if (rank % 2) d->setValue(QStringLiteral("team"), team);
      kept.addObject(d);
    }
    team->setValue(QStringLiteral("title"), QStringLiteral("m"));
    const auto descriptors = [&] {
      return std::vector<ArrayController::SortDescriptor>{
          {QString::fromLatin1(test.keyPath), true, {}, test.collated ? collator : nullptr}};
    };
    kept.setSortDescriptors(descriptors());
    kept.rearrangeObjects();
    test.change(*kept.content());
    // A filter set, then cleared, as typing in the search field does.
    kept.setFilterPredicate([](const DictRef& d) { return d->value(u"rank").toInteger() != 1; });
    kept.setFilterPredicate({});
    ArrayController fresh;
    fresh.setSortDescriptors(descriptors());
    fresh.setContent(kept.content());
    EXPECT_EQ(kept.arrangedObjects(), fresh.arrangedObjects());
  }
}

// A few objects edited since the last sort are moved to their places instead of sorting
// everything again: the order must be the one a fresh sort makes, ties and missing values
// included, in either direction and under a collation.
TEST(ArrayControllerSortedContent, AFewEditedObjectsLandWhereAFreshSortPutsThem) {
  const auto collator = std::make_shared<const Collation>(QLocale::c(), false);
  const struct {
    const char* what;
    std::function<void(const std::vector<DictRef>&)> edit;
  } edits[] = {
      {"one renamed to a name others have",
       [](const auto& d) { d[7]->setValue(QStringLiteral("name"), QStringLiteral("n3")); }},
      {"one losing its name", [](const auto& d) { d[120]->removeValue(u"name"); }},
      {"several renamed, one first and one last",
       [](const auto& d) {
         d[0]->setValue(QStringLiteral("name"), QStringLiteral("a"));
         d[1]->setValue(QStringLiteral("name"), QStringLiteral("zz"));
         d[150]->setValue(QStringLiteral("name"), QStringLiteral("N3"));
         d[199]->setValue(QStringLiteral("name"), QStringLiteral("n10"));
       }},
  };
  for (const auto& edit : edits)
    for (const bool ascending : {true, false})
      for (const bool collated : {false, true}) {
        SCOPED_TRACE(testing::Message() << edit.what << (ascending ? " ascending" : " descending")
                                        << (collated ? " collated" : ""));
        std::vector<DictRef> objects;
        for (int i = 0; i < 200; ++i) {
          auto d = Dictionary::create();
          if (i % 9) d->setValue(QStringLiteral("name"), QStringLiteral("n%1").arg(i % 20));
          objects.push_back(d);
        }
        const std::vector<ArrayController::SortDescriptor> sort = {
            {QStringLiteral("name"), ascending, {}, collated ? collator : nullptr}};
        ArrayController kept;
        kept.addObjects(objects);
        kept.setSortDescriptors(sort);
        kept.rearrangeObjects();
        edit.edit(objects);
        kept.setFilterPredicate([](const DictRef&) { return true; });
        ArrayController fresh;
        fresh.setSortDescriptors(sort);
        fresh.setContent(kept.content());
        EXPECT_EQ(kept.arrangedObjects(), fresh.arrangedObjects());
      }
}

// Long lists are sorted with their values looked up side by side: every object must land
// where a plain stable sort puts it, whatever key list it has.
TEST(ArrayControllerSortedContent, LongListsSortAsOneByOne) {
  std::vector<DictRef> objects;
  for (int i = 0; i < 40000; ++i) {
    auto d = Dictionary::create();
    if (i % 5 == 0)  // a key list of its own, long enough to be indexed
      for (int extra = 0; extra < 30; ++extra)
        d->setValue(QStringLiteral("extra%1").arg(extra), Value::integer(extra));
    if (i % 4 != 0) d->setValue(QStringLiteral("name"), QString::number((i * 7919) % 1000));
    objects.push_back(d);
  }
  std::vector<DictRef> expected = objects;
  std::stable_sort(expected.begin(), expected.end(), [](const DictRef& a, const DictRef& b) {
    const Value &x = a->value(u"name"), &y = b->value(u"name");
    if (x.isString() != y.isString()) return !x.isString();  // missing values first
    return x.isString() && x.toString() < y.toString();
  });
  // Digits collate as they compare, so both sorts must give the same order.
  for (const auto& collator : {std::shared_ptr<const Collation>(),
                               std::make_shared<const Collation>(QLocale::c(), true)}) {
    ArrayController list;
    list.addObjects(objects);
    list.setSortDescriptors({{QStringLiteral("name"), true, {}, collator}});
    list.rearrangeObjects();
    EXPECT_EQ(list.arrangedObjects(), expected) << (collator ? "collated" : "plain");
  }
}

// Filter predicates run on several threads at once and may look keys up in dictionaries
// whose key lists are long enough to be indexed, however those lists came to be: each record
// must be judged by the value it holds.
TEST(ArrayControllerParallelFilter, PredicatesLookingUpKeysInLongKeyListsAgreeWithAScan) {
  constexpr int kRecords = 40000, kKeys = 30;
  std::vector<QString> names;
  for (int k = 0; k < kKeys; ++k) names.push_back(QStringLiteral("field%1").arg(k));
  const QString& tested = names[17];
  const auto valuesFor = [&](int i) {
    std::vector<Value> values;
    for (int k = 0; k < kKeys; ++k) values.push_back(Value::integer(k == 17 ? i % 7 : k));
    return values;
  };
  struct Case {
    const char* what;
    std::function<DictRef(int)> make;
  };
  const auto shared = std::make_shared<const DictionaryKeys>(names);
  const Case cases[] = {
      {"one list made long, shared by all",
       [&](int i) { return Dictionary::create(shared, valuesFor(i)); }},
      {"lists grown past the index length key by key, shared as they grow",
       [&](int i) {
         auto d = Dictionary::create();
         const auto values = valuesFor(i);
         for (int k = 0; k < kKeys; ++k) d->setValue(names[k], values[k]);
         return d;
       }},
      {"lists grown in place, one per record",
       [&](int i) {
         auto d = Dictionary::create();
         d->setValue(QStringLiteral("id%1").arg(i), Value::integer(i));
         const auto values = valuesFor(i);
         for (int k = 0; k < kKeys; ++k) d->setValue(names[k], values[k]);
         return d;
       }},
      {"a shared list that some records shortened or lost the key from",
       [&](int i) {
         auto d = Dictionary::create(shared, valuesFor(i));
         if (i % 3 == 1) d->removeValue(names[5]);
         if (i % 11 == 0) d->removeValue(tested);
         return d;
       }},
  };
  for (const Case& c : cases) {
    std::vector<DictRef> records;
    records.reserve(kRecords);
    for (int i = 0; i < kRecords; ++i) records.push_back(c.make(i));
    ArrayController list;
    list.addObjects(records);
    list.setFilterPredicate([&](const DictRef& d) { return d->value(tested).toInteger(-1) >= 3; });
    list.narrowFilterPredicate(
        [&](const DictRef& d) { return d->value(tested).toInteger(-1) == 3; });
    // What the records hold under the key, found by walking their entries.
    std::vector<DictRef> expected;
    for (const DictRef& d : records)
      for (const auto& [key, value] : d->entries())
        if (key == tested && value.toInteger() == 3) expected.push_back(d);
    EXPECT_FALSE(expected.empty()) << c.what;
    EXPECT_EQ(list.arrangedObjects(), expected) << c.what;
  }
}

TEST_F(ArrayControllerTest, SelectionFollowsItsObjectsAcrossRearrangement) {
  controller.setSelectionIndexes({0, 2});  // delta, charlie
  const auto before = controller.selectedObjects();
  controller.setSortDescriptors({{QStringLiteral("name"), true, {}}});
  controller.rearrangeObjects();
  EXPECT_EQ(controller.selectionIndexes(), (std::vector<qsizetype>{2, 3}));
  auto after = controller.selectedObjects();
  EXPECT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0], before[1]);  // arranged order: charlie, then delta
  EXPECT_EQ(after[1], before[0]);
  // Filtering a selected object away drops it from the selection.
  controller.setFilterPredicate(
      [](const DictRef& d) { return d->value(u"name").toString() != u"delta"; });
  EXPECT_EQ(controller.selectedObjects(), std::vector<DictRef>{before[1]});
}

TEST_F(ArrayControllerTest, InsertAtArrangedIndexLandsBeforeTheShownRowInTheContent) {
  controller.setSortDescriptors({{QStringLiteral("name"), true, {}}});
  controller.rearrangeObjects();  // alpha bravo charlie delta; content delta alpha charlie bravo
  controller.insertObject(named("bz"), 2);
  EXPECT_EQ(arrangedNames(controller), names({"alpha", "bravo", "bz", "charlie", "delta"}));
  EXPECT_EQ(contentNames(controller), names({"delta", "alpha", "bz", "charlie", "bravo"}));
  EXPECT_EQ(controller.selectionIndex(), 2);
  controller.insertObject(named("zulu"), 99);  // past the end: appended
  EXPECT_EQ(arrangedNames(controller).last(), u"zulu");
  EXPECT_EQ(contentNames(controller).last(), u"zulu");
}

TEST_F(ArrayControllerTest, RemovalKeepsARowSelectedAndShiftsTheRest) {
  QSignalSpy removed(&controller, &ArrayController::objectRemoved);
  const auto all = controller.arrangedObjects();
  controller.setSelectionIndexes({1, 3});
  controller.removeObject(all[1]);
  EXPECT_EQ(removed.count(), 1);
  EXPECT_EQ(removed.first().first().toLongLong(), 1);
  EXPECT_EQ(controller.selectedObjects(), std::vector<DictRef>{all[3]});

  controller.setSelectionIndex(2);  // the last row
  controller.removeObject(all[3]);
  EXPECT_EQ(controller.selectionIndex(), 1);   // the new last row
  controller.removeObject(named("stranger"));  // not in the list: nothing happens
  EXPECT_EQ(controller.content()->count(), 2);
}

TEST_F(ArrayControllerTest, RemoveTakesTheWholeSelectionInOnePass) {
  controller.setSelectionIndexes({0, 1, 3});
  ASSERT_TRUE(controller.canRemove());
  controller.remove();
  EXPECT_EQ(contentNames(controller), names({"charlie"}));
  EXPECT_EQ(arrangedNames(controller), names({"charlie"}));
  EXPECT_EQ(controller.selectionIndex(), 0);  // the one left, rather than nothing
  controller.remove();
  EXPECT_TRUE(controller.arrangedObjects().empty());
  EXPECT_FALSE(controller.canRemove());
}

TEST_F(ArrayControllerTest, AvoidsAnEmptySelectionByChoosingTheFirstArrangedObject) {
  struct Case {
    const char* what;
    std::function<void(ArrayController&)> change;
    const char* selected;
  };
  const Case cases[] = {
      {"new content",
       [](ArrayController& c) {
         auto content = Array::create();
         for (const char* n : {"echo", "foxtrot"}) content->append(named(n));
         c.setContent(content);
       },
       "echo"},
      {"rearranging", [](ArrayController& c) { c.rearrangeObjects(); }, "delta"},
      {"sorting",
       [](ArrayController& c) {
         c.setSortDescriptors({{QStringLiteral("name"), true, {}}});
         c.rearrangeObjects();
       },
       "alpha"},
      {"filtering the selected object away",
       [](ArrayController& c) {
         c.setSelectionIndex(2);  // charlie
         c.setFilterPredicate(
             [](const DictRef& d) { return d->value(u"name").toString() != u"charlie"; });
       },
       "delta"},
      {"removing an object", [](ArrayController& c) { c.removeObject(c.arrangedObjects()[0]); },
       "alpha"},
      {"removing several",
       [](ArrayController& c) {
         c.removeObjects({c.arrangedObjects()[0], c.arrangedObjects()[3]});
       },
       "alpha"},
  };
  for (const auto& c : cases) {
    ArrayController list;
    for (const char* n : {"delta", "alpha", "charlie", "bravo"}) list.addObject(named(n));
    // Only an explicit deselection empties the selection, until the list changes.
    list.setSelectionIndex(ArrayController::NotFound);
    ASSERT_EQ(list.selectionIndex(), ArrayController::NotFound) << c.what;
    c.change(list);
    EXPECT_EQ(list.selectionIndexes(), std::vector<qsizetype>{0}) << c.what;
    if (list.selectedObjects().empty()) continue;
    EXPECT_EQ(list.selectedObjects().front()->value(u"name").toString(), QLatin1String(c.selected))
        << c.what;
  }
  controller.setContent(Array::create());
  EXPECT_EQ(controller.selectionIndex(), ArrayController::NotFound);  // nothing to select
}

TEST_F(ArrayControllerTest, SelectionIndexesAreCleanedUp) {
  EXPECT_EQ(controller.selectionIndex(), 3);          // the last added object
  EXPECT_FALSE(controller.setSelectionIndexes({3}));  // no change, no signal
  EXPECT_TRUE(controller.setSelectionIndexes({3, -1, 3, 9, 0}));
  EXPECT_EQ(controller.selectionIndexes(), (std::vector<qsizetype>{0, 3}));
  EXPECT_EQ(controller.selectionIndex(), 0);
  controller.setSelectionIndex(ArrayController::NotFound);
  EXPECT_EQ(controller.selectionIndex(), ArrayController::NotFound);
}

}  // namespace
