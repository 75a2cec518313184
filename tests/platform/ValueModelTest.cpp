#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <random>

#include "platform/Array.h"
#include "platform/Dictionary.h"
#include "platform/IdentitySet.h"
#include "platform/KeyPath.h"
#include "platform/UndoManager.h"

namespace {

TEST(ValueTest, NumbersConvertAmongThemselvesAndOtherKindsFallBack) {
  struct Case {
    Value value;
    qint64 asInteger;
    double asDouble;
    bool asBool;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {Value::integer(-7), -7, -7.0, true},
      {Value::unsignedInteger(40100), 40100, 40100.0, true},
      {Value::real(5.9), 5, 5.9, true},
      {Value::real(-5.9), -5, -5.9, true},
      {Value::boolean(true), 1, 1.0, true},
      {Value::integer(0), 0, 0.0, false},
      // Values no stored file should hold must still convert without undefined behaviour.
      {Value::real(nan), 0, nan, true},
      {Value::real(1e300), std::numeric_limits<qint64>::max(), 1e300, true},
      {Value::real(-1e300), std::numeric_limits<qint64>::min(), -1e300, true},
      {Value(QStringLiteral("12")), 99, 99.0, true},
      {Value(), 99, 99.0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value.debugDescription().toStdString());
    EXPECT_EQ(c.value.toInteger(99), c.asInteger);
    if (std::isnan(c.asDouble)) {
      EXPECT_TRUE(std::isnan(c.value.toDouble(99)));
    } else {
      EXPECT_EQ(c.value.toDouble(99), c.asDouble);
    }
    EXPECT_EQ(c.value.toBool(true), c.asBool);
  }
}

TEST(ValueTest, ContainersCompareByContentButIdentityIsSeparate) {
  auto a = Dictionary::create();
  auto b = Dictionary::create();
  for (const auto& d : {a, b}) {
    d->setValue(QStringLiteral("list"),
                Array::create({Value::integer(1), Value(QStringLiteral("x"))}));
    d->setValue(QStringLiteral("when"), Date{-3600.5});
  }
  EXPECT_EQ(Value(a), Value(b));
  EXPECT_FALSE(Value(a).isSameObject(Value(b)));
  EXPECT_TRUE(Value(a).isSameObject(Value(a)));
  b->setValue(QStringLiteral("extra"), Value::boolean(false));
  EXPECT_FALSE(Value(a) == Value(b));
  // A number's kind is part of its value: 1 and 1.0 are different stored values.
  EXPECT_FALSE(Value::integer(1) == Value::real(1.0));
  EXPECT_TRUE(Value(DictRef()).isAbsent());
}

TEST(DictionaryTest, KeepsInsertionOrderAndRemovesOnAbsent) {
  auto d = Dictionary::create();
  d->setValue(QStringLiteral("z"), Value::integer(1));
  d->setValue(QStringLiteral("a"), Value::integer(2));
  d->setValue(QStringLiteral("m"), Value::integer(3));
  d->setValue(QStringLiteral("z"), Value::integer(4));  // replacing keeps the position
  EXPECT_EQ(d->keys(),
            (QStringList{QStringLiteral("z"), QStringLiteral("a"), QStringLiteral("m")}));
  d->setValue(QStringLiteral("a"), Value());
  EXPECT_EQ(d->keys(), (QStringList{QStringLiteral("z"), QStringLiteral("m")}));
  EXPECT_EQ(d->value(u"z").toInteger(), 4);
  EXPECT_TRUE(d->value(u"a").isAbsent());
}

// Dictionaries share one key list until one of them adds or removes a key.
TEST(DictionaryTest, ASharedKeyListNeverLeaksAnEditIntoAnotherDictionary) {
  const auto keys = std::make_shared<const DictionaryKeys>(
      std::vector{QStringLiteral("name"), QStringLiteral("url")});
  const struct {
    const char* what;
    std::function<void(Dictionary&)> edit;
    QStringList keysAfter;
  } cases[] = {
      {"new key",
       [](Dictionary& d) { d.setValue(QStringLiteral("pin"), QStringLiteral("1")); },
       {QStringLiteral("name"), QStringLiteral("url"), QStringLiteral("pin")}},
      {"removed key", [](Dictionary& d) { d.removeValue(u"name"); }, {QStringLiteral("url")}},
      {"replaced value",
       [](Dictionary& d) { d.setValue(QStringLiteral("url"), QStringLiteral("x")); },
       {QStringLiteral("name"), QStringLiteral("url")}},
      {"emptied", [](Dictionary& d) { d.removeAll(); }, {}},
  };
  for (const auto& c : cases) {
    const DictRef a =
        Dictionary::create(keys, {Value(QStringLiteral("A")), Value(QStringLiteral("a.example"))});
    const DictRef b = a->copy();
    ASSERT_EQ(b->keyList(), a->keyList()) << c.what;
    c.edit(*b);
    EXPECT_EQ(b->keys(), c.keysAfter) << c.what;
    EXPECT_EQ(a->keys(), (QStringList{QStringLiteral("name"), QStringLiteral("url")})) << c.what;
    EXPECT_EQ(a->value(u"url").toString(), u"a.example") << c.what;
    EXPECT_EQ(keys->count(), 2) << c.what;
  }
  EXPECT_EQ(Dictionary::create(keys, {Value(QStringLiteral("one value only"))}), nullptr);

  // Dictionaries of one list that all gain the same key go on sharing one longer list.
  const DictRef first =
      Dictionary::create(keys, {Value(QStringLiteral("A")), Value(QStringLiteral("a"))});
  const DictRef second = first->copy();
  const DictRef third = first->copy();
  first->setValue(QStringLiteral("pin"), QStringLiteral("1"));
  second->setValue(QStringLiteral("pin"), QStringLiteral("2"));
  third->setValue(QStringLiteral("note"), QStringLiteral("3"));
  EXPECT_EQ(first->keyList(), second->keyList());
  EXPECT_NE(first->keyList(), third->keyList());
  EXPECT_EQ(second->value(u"pin").toString(), u"2");
  EXPECT_EQ(third->keys(),
            (QStringList{QStringLiteral("name"), QStringLiteral("url"), QStringLiteral("note")}));
  second->removeValue(u"name");
  EXPECT_EQ(first->keys(),
            (QStringList{QStringLiteral("name"), QStringLiteral("url"), QStringLiteral("pin")}));
  EXPECT_EQ(keys->count(), 2);
}

TEST(DictionaryTest, LargeDictionariesAgreeWithAReferenceMapThroughEdits) {
  // Past a few dozen keys lookups go through a hash index; it must follow every edit.
  auto d = Dictionary::create();
  std::map<QString, qint64> reference;
  std::mt19937 rng(7);
  for (int step = 0; step < 5000; ++step) {
    const QString key = QStringLiteral("k%1").arg(rng() % 80);
    if (rng() % 3 == 0) {
      d->removeValue(key);
      reference.erase(key);
    } else {
      d->setValue(key, Value::integer(step));
      reference[key] = step;
    }
    const QString probe = QStringLiteral("k%1").arg(rng() % 80);
    const auto found = reference.find(probe);
    ASSERT_EQ(d->value(probe).isAbsent(), found == reference.end()) << step;
    if (found != reference.end()) {
      ASSERT_EQ(d->value(probe).toInteger(), found->second);
    }
  }
  EXPECT_EQ(d->count(), static_cast<qsizetype>(reference.size()));
}

TEST(DictionaryTest, CopyIsShallowAndLeavesTheAttachmentBehind) {
  struct Note : DictionaryAttachment {};
  auto category = Dictionary::create();
  auto color = Dictionary::create();
  category->setValue(QStringLiteral("cat_backColor"), color);
  category->setAttachment(std::make_unique<Note>());
  const DictRef copy = category->copy();
  EXPECT_EQ(copy->value(u"cat_backColor").toDictionary(), color);
  EXPECT_EQ(copy->attachment(), nullptr);
  EXPECT_NE(category->attachment(), nullptr);
  EXPECT_EQ(category->count(), 1);
}

TEST(KeyPathTest, WalksThroughSharedDictionaries) {
  auto category = Dictionary::create();
  category->setValue(QStringLiteral("cat_category"), QStringLiteral("Banks"));
  auto record = Dictionary::create();
  record->setValue(QStringLiteral("categoryPtr"), category);
  record->setValue(QStringLiteral("name"), QStringLiteral("Alpha"));

  EXPECT_EQ(KeyPath::valueForKeyPath(record, u"categoryPtr.cat_category").toString(), u"Banks");
  EXPECT_EQ(KeyPath::valueForKeyPath(record, u"name").toString(), u"Alpha");
  EXPECT_TRUE(KeyPath::valueForKeyPath(record, u"name.length").isAbsent());
  EXPECT_TRUE(KeyPath::valueForKeyPath(record, u"missing.cat_category").isAbsent());
  EXPECT_TRUE(KeyPath::valueForKeyPath(DictRef(), u"name").isAbsent());

  ASSERT_TRUE(
      KeyPath::setValueForKeyPath(*record, u"categoryPtr.cat_category", QStringLiteral("Mail")));
  EXPECT_EQ(category->value(u"cat_category").toString(), u"Mail");
  EXPECT_FALSE(KeyPath::setValueForKeyPath(*record, u"name.x", Value::integer(1)));
}

TEST(IdentitySetTest, AgreesWithAReferenceListAndKeepsOrderThroughSweeps) {
  std::vector<DictRef> pool;
  for (int i = 0; i < 200; ++i) pool.push_back(Dictionary::create());
  IdentitySet set;
  std::vector<DictRef> reference;
  std::mt19937 rng(11);
  for (int step = 0; step < 20000; ++step) {
    const DictRef& d = pool[rng() % pool.size()];
    const auto at = std::find(reference.begin(), reference.end(), d);
    if (rng() % 2) {
      ASSERT_EQ(set.append(d), at == reference.end());
      if (at == reference.end()) reference.push_back(d);
    } else {
      ASSERT_EQ(set.remove(d.get()), at != reference.end());
      if (at != reference.end()) reference.erase(at);
    }
  }
  EXPECT_EQ(set.toVector(), reference);
  // An equal but different dictionary is another member.
  auto twin = Dictionary::create();
  EXPECT_FALSE(set.contains(twin.get()));
}

}  // namespace

namespace {

TEST(UndoManagerTest, PairsRegisteringTheirTwinsAlternateUndoAndRedo) {
  UndoManager undo;
  std::vector<int> list;
  // The pair of an edit: each step changes the list and registers the other.
  std::function<void(int)> add, remove;
  add = [&](int v) {
    list.push_back(v);
    undo.registerUndo([&, v] { remove(v); });
    undo.setActionName(QStringLiteral("Add Record"));
  };
  remove = [&](int v) {
    std::erase(list, v);
    undo.registerUndo([&, v] { add(v); });
    undo.setActionName(QStringLiteral("Delete Record"));
  };
  add(1);
  add(2);
  EXPECT_EQ(undo.undoMenuItemTitle(), u"Undo Add Record");
  undo.undo();
  EXPECT_EQ(list, std::vector<int>{1});
  EXPECT_EQ(undo.redoMenuItemTitle(), u"Redo Delete Record");
  undo.redo();
  EXPECT_EQ(list, (std::vector<int>{1, 2}));
  undo.undo();
  undo.undo();
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(undo.canUndo());
  undo.redo();
  EXPECT_EQ(list, std::vector<int>{1});
  // A new edit drops what could be redone.
  add(3);
  EXPECT_FALSE(undo.canRedo());
  EXPECT_EQ(undo.redoMenuItemTitle(), u"Redo");
}

}  // namespace
