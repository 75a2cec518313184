#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "platform/archive/FlatIndex.h"

namespace {

TEST(FlatIndex, FindsWhatWasAddedThroughManyGrowths) {
  constexpr quint32 kCount = 100000;
  // Room asked for after some keys were added keeps them; a smaller room changes nothing.
  const struct {
    const char* name;
    quint32 reserveAfter;
    std::size_t room;
  } cases[] = {
      {"growing only", 0, 0},
      {"room for all up front", 0, kCount},
      {"room half-way", kCount / 2, kCount},
      {"less room than held", kCount / 2, 10},
  };
  // Keys that differ only in high bits, or only in low bits, as a double's bits do.
  auto keyOf = [](quint32 i) { return i % 2 ? quint64{i} << 40 : quint64{i}; };
  for (const auto& c : cases) {
    FlatIndex<quint32> index;
    for (quint32 i = 0; i < kCount; ++i) {
      if (i == c.reserveAfter && c.room) index.reserve(c.room);
      const auto [id, added] = index.findOrAdd(keyOf(i), i);
      ASSERT_TRUE(added) << c.name << ": " << i;
      ASSERT_EQ(id, i) << c.name;
    }
    for (quint32 i = 0; i < kCount; ++i) {
      const auto [id, added] = index.findOrAdd(keyOf(i), kCount);
      ASSERT_FALSE(added) << c.name << ": " << i;
      ASSERT_EQ(id, i) << c.name;
    }
  }
}

TEST(FlatIndex, TellsApartIdsUnderTheSameKey) {
  // Every text under one key, as if all their hashes collided: only same() tells them apart.
  const std::vector<QString> texts = {
      QStringLiteral("a"), QStringLiteral("b"), QString(), QStringLiteral("ab"),
      QStringLiteral("a"), QStringLiteral("b"), QString(), QStringLiteral("ab"),
  };
  const struct {
    std::size_t text;
    quint32 id;
    bool added;
  } cases[] = {
      {0, 0, true},  {1, 1, true},  {2, 2, true},  {3, 3, true},
      {4, 0, false}, {5, 1, false}, {6, 2, false}, {7, 3, false},
  };
  FlatIndex<quint32, quint32> index;
  std::vector<QString> known;
  for (const auto& c : cases) {
    const QString& text = texts[c.text];
    const auto [id, added] =
        index.findOrAdd(42, static_cast<quint32>(known.size()),
                        [&](quint32 candidate) { return known[candidate] == text; });
    if (added) known.push_back(text);
    EXPECT_EQ(id, c.id) << c.text;
    EXPECT_EQ(added, c.added) << c.text;
  }
}

TEST(FlatIndex, HashesEqualTextsEquallyAndNearTextsApart) {
  const struct {
    QString a, b;
    bool equal;
  } cases[] = {
      {QStringLiteral("Record number 1"), QStringLiteral("Record number 1"), true},
      {QString(), QStringLiteral(""), true},
      {QStringLiteral("Record number 1"), QStringLiteral("Record number 2"), false},
      // The same words, one a code unit longer: the tail word alone would not differ.
      {QStringLiteral("abcd"), QStringLiteral("abcd") + QChar(0), false},
      {QStringLiteral("abcdefgh"), QStringLiteral("abcdefgi"), false},
      {QString::fromUtf8("caf\xc3\xa9"), QStringLiteral("cafe"), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(textHash(c.a) == textHash(c.b), c.equal) << c.a.toStdString();
}

}  // namespace
