#include <gtest/gtest.h>

#include <QLocale>
#include <cmath>
#include <limits>

#include "platform/ArrayController.h"
#include "platform/Dictionary.h"
#include "window/RecordColumns.h"

namespace {

using RecordColumns::Comparison;

DictRef named(const char* name, qint64 order) {
  auto d = Dictionary::create();
  if (name) d->setValue(QStringLiteral("name"), QString::fromUtf8(name));
  d->setValue(QStringLiteral("order"), Value::integer(order));
  return d;
}

// The order numbers of the arranged records.
std::vector<qint64> sortedBy(const QString& column, bool ascending, Comparison comparison) {
  ArrayController list;
  // Content order 0..5: "apple" follows "Apple", so a stable sort keeps them so when equal.
  const char* names[] = {"Banana", "Apple", nullptr, "\u00c9clair", "apple", ""};
  for (qint64 i = 0; i < 6; ++i) list.addObject(named(names[i], i));
  const auto descriptor = RecordColumns::sortDescriptor(column, ascending, comparison);
  EXPECT_TRUE(descriptor);
  list.setSortDescriptors({*descriptor});
  list.rearrangeObjects();
  std::vector<qint64> out;
  for (const auto& d : list.arrangedObjects()) out.push_back(d->value(u"order").toInteger());
  return out;
}

TEST(RecordColumnsSort, EachComparisonModeOrdersNamesAndPlacesMissingValuesFirst) {
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  // 0 Banana, 1 Apple, 2 missing, 3 Éclair, 4 apple, 5 "".
  struct Case {
    Comparison comparison;
    bool ascending;
    std::vector<qint64> order;
  };
  const Case cases[] = {
      // Character values: capitals before lower case, É after every ASCII letter.
      {Comparison::Plain, true, {2, 5, 1, 0, 4, 3}},
      {Comparison::Plain, false, {3, 4, 0, 1, 5, 2}},
      // Localised: lower case before capitals of the same word, É with the E's.
      {Comparison::Localized, true, {2, 5, 4, 1, 0, 3}},
      // Case ignored: Apple and apple are equal and keep their content order both ways.
      {Comparison::LocalizedCaseInsensitive, true, {2, 5, 1, 4, 0, 3}},
      {Comparison::LocalizedCaseInsensitive, false, {3, 0, 1, 4, 5, 2}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(sortedBy(QStringLiteral("name"), c.ascending, c.comparison), c.order)
        << int(c.comparison) << " ascending " << c.ascending;
}

TEST(RecordColumnsSort, ColumnsSortOnTheirRecordValues) {
  ArrayController list;
  for (qint64 i = 0; i < 3; ++i) {
    auto d = named("x", i);
    d->setValue(QStringLiteral("usageCount"), Value::integer(10 - 4 * i));  // 10, 6, 2
    d->setValue(QStringLiteral("creationDate"), Date{double(100 - i)});
    list.addObject(d);
  }
  const auto orderOf = [&](const QString& column, bool ascending) {
    list.setSortDescriptors(
        {*RecordColumns::sortDescriptor(column, ascending, Comparison::LocalizedCaseInsensitive)});
    list.rearrangeObjects();
    std::vector<qint64> out;
    for (const auto& d : list.arrangedObjects()) out.push_back(d->value(u"order").toInteger());
    return out;
  };
  EXPECT_EQ(orderOf(QStringLiteral("usageCount"), false), (std::vector<qint64>{0, 1, 2}));
  EXPECT_EQ(orderOf(QStringLiteral("usageCount"), true), (std::vector<qint64>{2, 1, 0}));
  EXPECT_EQ(orderOf(QStringLiteral("createdDate"), true), (std::vector<qint64>{2, 1, 0}));
  EXPECT_EQ(
      RecordColumns::sortDescriptor(QStringLiteral("category"), true, Comparison::Plain)->keyPath,
      u"categoryPtr.cat_category");
  EXPECT_FALSE(RecordColumns::sortDescriptor(QString(), true, Comparison::Plain));
  EXPECT_EQ(RecordColumns::comparisonFor(0), Comparison::Plain);
  EXPECT_EQ(RecordColumns::comparisonFor(1), Comparison::Localized);
  EXPECT_EQ(RecordColumns::comparisonFor(7), Comparison::LocalizedCaseInsensitive);
}

RecordColumns::ColumnLayout freshLayout() {
  RecordColumns::ColumnLayout layout;
  for (const QString& id : RecordColumns::identifiers()) layout.push_back({id, false, 100});
  return layout;
}

QStringList shown(const RecordColumns::ColumnLayout& layout) {
  QStringList out;
  for (const auto& c : layout)
    if (!c.hidden) out << c.identifier;
  return out;
}

TEST(RecordColumnsLayout, PresetsShowTheirColumnsAndNeverTouchName) {
  using P = RecordColumns::Preset;
  const auto list = [](std::initializer_list<const char*> ids) {
    QStringList out;
    for (const char* id : ids) out << QString::fromLatin1(id);
    return out;
  };
  const std::pair<P, QStringList> cases[] = {
      {P::Compact, list({"category", "name"})},
      {P::CompactPlusCMA,
       list({"category", "name", "createdDate", "modificationDate", "usageCount"})},
      {P::AllMinusCMA, list({"category", "name", "url", "account", "userID", "password", "pin",
                             "security", "email"})},
      {P::All, RecordColumns::identifiers()},
  };
  for (const auto& [preset, expected] : cases) {
    RecordColumns::ColumnLayout layout = freshLayout();
    for (auto& c : layout) c.hidden = true;  // even a hidden name stays as it is
    RecordColumns::applyPreset(layout, preset);
    QStringList want = expected;
    want.removeAll(QStringLiteral("name"));
    EXPECT_EQ(shown(layout), want);
    // The snapshot lists all twelve, hidden ones included.
    EXPECT_EQ(RecordColumns::visibilitySnapshot(layout)->count(), 12);
  }
}

TEST(RecordColumnsLayout, SnapshotsRoundTripInDisplayOrderWithSinglePrecisionWidths) {
  RecordColumns::ColumnLayout layout = freshLayout();
  std::swap(layout[0], layout[5]);  // the user dragged a column
  layout[2].width = 123.456789;
  layout[3].hidden = true;
  const ArrayRef sizes = RecordColumns::sizeSnapshot(layout);
  const ArrayRef visibility = RecordColumns::visibilitySnapshot(layout);
  EXPECT_EQ(sizes->at(0).toDictionary()->value(u"name").toString(), u"password");

  RecordColumns::ColumnLayout back = freshLayout();
  RecordColumns::applySizes(back, sizes);
  RecordColumns::applyVisibility(back, visibility);
  // Applying moves no column: the order stays the target's own.
  EXPECT_EQ(back[0].identifier, u"category");
  for (const auto& c : layout) {
    const auto it = std::find_if(back.begin(), back.end(),
                                 [&](const auto& b) { return b.identifier == c.identifier; });
    EXPECT_EQ(it->hidden, c.hidden) << c.identifier.toStdString();
    EXPECT_EQ(it->width, double(float(c.width))) << c.identifier.toStdString();
  }
}

TEST(RecordColumnsLayout, HostileSnapshotsAreSkippedOrClamped) {
  const auto entry = [](const QString& name, const char* key, Value v) {
    auto d = Dictionary::create();
    d->setValue(QStringLiteral("name"), name);
    d->setValue(QString::fromLatin1(key), std::move(v));
    return Value(d);
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const ArrayRef sizes = Array::create({
      entry(QStringLiteral("name"), "size", Value::real(nan)),
      entry(QStringLiteral("url"), "size", Value::real(1.0e30)),
      entry(QStringLiteral("email"), "size", Value::real(-5)),
      entry(QStringLiteral("pin"), "size", Value(QStringLiteral("wide"))),
      entry(QStringLiteral("bogus"), "size", Value::real(50)),
      entry(QStringLiteral("account"), "size", Value::real(77)),
      entry(QStringLiteral("account"), "size", Value::real(999)),  // the first one counts
      Value(QStringLiteral("not an entry")),
  });
  RecordColumns::ColumnLayout layout = freshLayout();
  RecordColumns::applySizes(layout, sizes);
  const auto width = [&](const char* id) {
    for (const auto& c : layout)
      if (c.identifier == QLatin1String(id)) return c.width;
    return -1.0;
  };
  EXPECT_EQ(width("name"), 100);
  EXPECT_EQ(width("url"), RecordColumns::kMaximumWidth);
  EXPECT_EQ(width("email"), RecordColumns::minimumWidth(QStringLiteral("email")));
  EXPECT_EQ(width("pin"), 100);
  EXPECT_EQ(width("account"), 77);
  EXPECT_EQ(layout.size(), 12u);

  const ArrayRef visibility = Array::create({
      entry(QStringLiteral("name"), "hidden", Value::boolean(true)),
      entry(QStringLiteral("url"), "hidden", Value::boolean(true)),
      entry(QStringLiteral("nowhere"), "hidden", Value::boolean(true)),
  });
  RecordColumns::applyVisibility(layout, visibility);
  EXPECT_EQ(shown(layout).size(), 11);
  EXPECT_FALSE(shown(layout).contains(QStringLiteral("url")));
  EXPECT_TRUE(shown(layout).contains(QStringLiteral("name")));
  RecordColumns::applyVisibility(layout, nullptr);  // no list: nothing happens
  EXPECT_EQ(shown(layout).size(), 11);
}

}  // namespace
