#include <gtest/gtest.h>

#include <QCollator>
#include <algorithm>
#include <numeric>

#include "platform/Collation.h"

namespace {

// Keys made in chunks side by side must order exactly as the locale's own comparison does,
// whatever the common prefixes (longer than the keys' inline prefix) and wherever the chunks
// are cut.
TEST(Collation, KeysOrderAsTheLocaleDoesForLongListsAndLongCommonPrefixes) {
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  for (bool caseSensitive : {true, false}) {
    const Collation collation(english, caseSensitive);
    std::vector<QString> strings;
    for (int i = 0; i < 60000; ++i) {
      const int n = (i * 7919) % 60000;
      strings.push_back(i % 3 == 0   ? QStringLiteral("Same long shared prefix %1").arg(n)
                        : i % 3 == 1 ? QStringLiteral("same LONG shared prefix %1").arg(n)
                                     : QStringLiteral("\u00c9t\u00e9 %1").arg(n));
    }
    std::vector<const QString*> pointers;
    for (const QString& s : strings) pointers.push_back(&s);
    pointers[17] = nullptr;  // a missing value has no key
    const Collation::Keys keys = collation.keys(pointers);
    EXPECT_FALSE(keys.has(17));

    QCollator reference(english);
    reference.setCaseSensitivity(caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    // Pairs across the whole list, chunk boundaries included.
    for (std::size_t i = 0; i + 1 < strings.size(); i += 997) {
      for (std::size_t j :
           {i + 1, strings.size() - 1 - i / 2, std::size_t(29999), std::size_t(30000)}) {
        if (i == 17 || j == 17 || j >= strings.size()) continue;
        const int want = reference.compare(strings[i], strings[j]);
        const int got = keys.compare(i, j);
        EXPECT_EQ(want < 0, got < 0)
            << strings[i].toStdString() << " / " << strings[j].toStdString();
        EXPECT_EQ(want == 0, got == 0)
            << strings[i].toStdString() << " / " << strings[j].toStdString();
      }
    }
  }
}

TEST(Collation, KeysSharingALongStartStillOrderByWhatFollowsIt) {
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  const Collation collation(english, false);
  std::vector<QString> strings;
  for (int i = 0; i < 3000; ++i)
    strings.push_back(QStringLiteral("Record number %1").arg((i * 7919) % 3000));
  strings.push_back(QStringLiteral("Record number "));    // the shared start alone
  strings.push_back(QStringLiteral("record NUMBER 17"));  // equal to another, case aside
  std::vector<const QString*> pointers;
  for (const QString& s : strings) pointers.push_back(&s);
  const Collation::Keys keys = collation.keys(pointers);
  QCollator reference(english);
  reference.setCaseSensitivity(Qt::CaseInsensitive);
  std::vector<std::size_t> picks = {strings.size() - 2, strings.size() - 1};
  for (std::size_t i = 0; i < strings.size(); i += 11) picks.push_back(i);
  for (std::size_t i : picks) {
    for (std::size_t j : picks) {
      const int want = reference.compare(strings[i], strings[j]);
      const int got = keys.compare(i, j);
      EXPECT_EQ(want < 0, got < 0) << strings[i].toStdString() << " / " << strings[j].toStdString();
      EXPECT_EQ(want == 0, got == 0)
          << strings[i].toStdString() << " / " << strings[j].toStdString();
    }
  }
}

}  // namespace
