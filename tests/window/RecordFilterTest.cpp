#include <gtest/gtest.h>

#include "platform/ArrayController.h"
#include "vault/VaultKeys.h"
#include "window/RecordFilter.h"

namespace {

DictRef category(const char* title) {
  auto c = Dictionary::create();
  c->setValue(CategoryKeys::category(), QString::fromUtf8(title));
  return c;
}

DictRef record(const char* key, const char* text, const DictRef& cat = {}) {
  auto r = Dictionary::create();
  r->setValue(QString::fromLatin1(key), QString::fromUtf8(text));
  if (cat) r->setValue(RecordKeys::categoryPtr(), cat);
  return r;
}

TEST(RecordFilter, SearchLooksInSixKeysIgnoringCaseOnly) {
  struct Case {
    const char* key;
    const char* text;
    const char* search;
    bool found;
  } cases[] = {
      {"name", "acme bank", "ACME", true},      {"url", "https://Shop.example", "shop", true},
      {"account", "Acct-77", "ct-7", true},     {"note", "line1\nPIN at home", "pin at", true},
      {"userID", "JDoe", "jdoe", true},         {"email", "j@Mail.example", "MAIL", true},
      {"password", "acme", "acme", false},      {"pin", "1234", "1234", false},
      {"security", "first pet", "pet", false},  {"name", "Caf\u00e9", "cafe", false},
      {"name", "Caf\u00e9", "CAF\u00c9", true}, {"name", "stra\u00dfe", "strasse", false},
      {"name", "Bank", "Banks", false},         {"creationDate", "acme", "acme", false},
  };
  for (const Case& c : cases) {
    RecordFilter filter;
    filter.setSearchString(QString::fromUtf8(c.search));
    EXPECT_EQ(filter.matches(*record(c.key, c.text)), c.found) << c.key << " " << c.search;
  }
  RecordFilter none;
  EXPECT_TRUE(none.matches(*Dictionary::create()));
  EXPECT_FALSE(none.inForce());
}

// The quick ASCII search must find exactly what Qt's case-insensitive search finds.
TEST(RecordFilter, SearchAgreesWithQtsCaseInsensitiveContains) {
  const char* texts[] = {"",
                         "a",
                         "Acme BANK",
                         "bank",
                         "ban",
                         "xbankx",
                         "\u212Aiosk",          // Kelvin sign: folds to k
                         "Po\u017Ft",           // long s: folds to s
                         "Stra\u00DFe",         // sharp s: no simple fold to ss
                         "\u0130stanbul",       // dotted capital I
                         "\uFF22ank",           // fullwidth B
                         "\u03A3\u03C2\u03C3",  // sigmas
                         "\U0001F600 smile",
                         "aaab",
                         "@[`{"};
  const char* searches[] = {"a",       "AB",       "bank",  "K",          "kiosk", "POST",
                            "strasse", "istanbul", "i",     "ss",         "@[",    "`{",
                            "aab",     "\u03C3",   "smile", "\U0001F600", "b"};
  for (const char* t : texts) {
    const DictRef r = record("note", t);
    for (const char* q : searches) {
      const QString text = QString::fromUtf8(t), search = QString::fromUtf8(q);
      RecordFilter filter;
      filter.setSearchString(search);
      EXPECT_EQ(filter.matches(*r), text.contains(search, Qt::CaseInsensitive)) << t << " / " << q;
    }
  }
}

TEST(RecordFilter, CategoryIsMatchedByIdentityAcrossARename) {
  const DictRef work = category("Work"), twin = category("Work"), none;
  const DictRef inWork = record("name", "a", work), inTwin = record("name", "b", twin),
                without = record("name", "c");
  RecordFilter filter;
  filter.setCategory(work);
  EXPECT_TRUE(filter.matches(*inWork));
  EXPECT_FALSE(filter.matches(*inTwin));  // same title, another category
  EXPECT_FALSE(filter.matches(*without));
  work->setValue(CategoryKeys::category(), QStringLiteral("Office"));
  EXPECT_TRUE(filter.matches(*inWork));
  EXPECT_EQ(filter.categoryString(), u"Office");
  filter.setSearchString(QStringLiteral("zzz"));
  EXPECT_FALSE(filter.matches(*inWork));  // both must hold
}

TEST(RecordFilter, DescriptionLineNamesWhatIsInForce) {
  struct Case {
    const char* category;
    const char* search;
    const char* line;
  } cases[] = {
      {nullptr, "", ""},
      {"Work", "", " category = 'Work'"},
      {nullptr, "bank", " search string = 'bank'"},
      {"Work", "bank", " category = 'Work' and search string = 'bank'"},
      {"", "", " category = ''"},
  };
  for (const Case& c : cases) {
    RecordFilter filter;
    if (c.category) filter.setCategory(category(c.category));
    filter.setSearchString(QString::fromUtf8(c.search));
    EXPECT_EQ(filter.usedFilterDisplay(), QString::fromUtf8(c.line));
    EXPECT_EQ(filter.inForce(), c.category || *c.search);
  }
}

// Long lists are filtered side by side; each record must be judged as it is one by one,
// whatever key list it has (shared, its own, or one long enough to be indexed).
TEST(RecordFilter, LongListsFilteredSideBySideAgreeWithOneByOne) {
  const DictRef work = category("Work"), home = category("Home");
  std::vector<DictRef> records;
  for (int i = 0; i < 50000; ++i) {
    auto r = Dictionary::create();
    if (i % 5 == 0)
      for (int extra = 0; extra < 30; ++extra)
        r->setValue(QStringLiteral("unknown%1").arg(extra), Value::integer(extra));
    r->setValue(
        i % 3 ? RecordKeys::name() : RecordKeys::note(),
        QStringLiteral("Entry %1%2").arg(i).arg(i % 11 ? QString() : QStringLiteral(" Bank")));
    r->setValue(RecordKeys::categoryPtr(), i % 2 ? work : home);
    records.push_back(r);
  }
  ArrayController list;
  list.addObjects(records);
  RecordFilter filter;
  filter.setSearchString(QStringLiteral("bANK"));
  filter.setCategory(work);
  for (bool narrowing : {false, true}) {
    if (narrowing) {
      filter.setCategory({});
      filter.setSearchString(QStringLiteral("bank"));
      list.setFilterPredicate(filter.predicate());
      filter.setSearchString(QStringLiteral("7 bank"));
      list.narrowFilterPredicate(filter.predicate());
    } else {
      list.setFilterPredicate(filter.predicate());
    }
    std::vector<DictRef> expected;
    for (const DictRef& r : records)
      if (filter.matches(*r)) expected.push_back(r);
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(list.arrangedObjects(), expected) << (narrowing ? "narrowed" : "set");
  }
}

TEST(RecordFilter, PredicateFollowsTheStateAtEachRearrangement) {
  ArrayController list;
  const DictRef bank = record("name", "Bank"), mail = record("name", "Mail");
  list.addObjects({bank, mail});
  RecordFilter filter;
  filter.setSearchString(QStringLiteral("bank"));
  list.setFilterPredicate(filter.predicate());
  ASSERT_EQ(list.arrangedObjects().size(), 1u);
  filter.setSearchString(QStringLiteral("mail"));
  list.rearrangeObjects();
  ASSERT_EQ(list.arrangedObjects().size(), 1u);
  EXPECT_EQ(list.arrangedObjects().front(), mail);
  filter.setSearchString({});
  list.rearrangeObjects();
  EXPECT_EQ(list.arrangedObjects().size(), 2u);
}

}  // namespace
