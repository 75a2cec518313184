#include <gtest/gtest.h>

#include <QSet>
#include <QTemporaryDir>
#include <cmath>
#include <deque>
#include <map>

#include "generator/ZVPasswordMaker.h"
#include "platform/Dictionary.h"
#include "platform/UserDefaults.h"

namespace {

const QString kLower = QStringLiteral("abcdefghijklmnopqrstuvwxyz");
const QString kUpper = QStringLiteral("ABCDEFGJKLMNOPQRSTUVWXYZ");
const QString kDigits = QStringLiteral("0123456789");
const QString kPunct = QStringLiteral("@!$%&()?#;,:._+-*/=");
const QString kHex = QStringLiteral("0123456789ABCDEF");
// The same less the default look-alikes 0, O, 1, l and I.
const QString kLowerX = QStringLiteral("abcdefghijkmnopqrstuvwxyz");
const QString kUpperX = QStringLiteral("ABCDEFGJKLMNPQRSTUVWXYZ");
const QString kDigitsX = QStringLiteral("23456789");
const QString kHexX = QStringLiteral("23456789ABCDEF");

const int kCharacterTags[] = {10, 11, 20, 21, 22, 30, 40, 41, 42, 52, 12, 99, -1};
const int kAllTags[] = {10, 11, 20, 21, 22, 30, 40, 41, 42, 52, 60, 61, 12, 99};

class ZVPasswordMakerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quorlith.conf")));
    auto registered = Dictionary::create();
    registered->setValue(QStringLiteral("noCharStringDisambiguator"), QStringLiteral("0O1lI"));
    defaults->registerDefaults(registered);
  }
  void exclude(const QString& chars) {
    defaults->setBool(QStringLiteral("enableDisambiguator"), true);
    defaults->setString(QStringLiteral("noCharStringDisambiguator"), chars);
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
};

// Answers draws from a script and records the ranges asked for; any draw beyond the script,
// or from an empty range, fails the test.
struct ScriptedRandom {
  std::deque<std::int64_t> answers;
  std::vector<std::pair<std::int64_t, std::int64_t>> asked;

  ZVPasswordMaker::RandomSource source() {
    return [this](std::int64_t min, std::int64_t max) -> std::int64_t {
      asked.emplace_back(min, max);
      EXPECT_LE(min, max) << "an empty range was drawn from";
      if (answers.empty()) {
        ADD_FAILURE() << "more draws than scripted";
        return min;
      }
      const std::int64_t r = answers.front();
      answers.pop_front();
      EXPECT_GE(r, min);
      EXPECT_LE(r, max);
      return r;
    };
  }
};

// Splits a pronounceable password into its groups: vowel groups hold only vowels and
// consonant groups none, so every maximal run of either kind is one group.
QStringList runs(const QString& password) {
  static const QString vowels = QStringLiteral("AEIOUaeiou");
  QStringList out;
  for (QChar c : password) {
    const bool vowel = vowels.contains(c);
    if (out.isEmpty() || vowels.contains(out.last().back()) != vowel) out << QString();
    out.last() += c;
  }
  return out;
}

TEST_F(ZVPasswordMakerTest, EachTypeDrawsFromItsSetsInItsOrder) {
  struct Row {
    int tag;
    QString plain, withoutLookAlikes;
  };
  const Row rows[] = {
      {10, kLower + kUpper, kLowerX + kUpperX},
      {11, kLower, kLowerX},
      {20, kLower + kUpper + kDigits, kLowerX + kUpperX + kDigitsX},
      {21, kLower + kDigits, kLowerX + kDigitsX},
      {22, kUpper + kDigits, kUpperX + kDigitsX},
      {30, kDigits, kDigitsX},
      {40, kLower + kUpper + kDigits + kPunct, kLowerX + kUpperX + kDigitsX + kPunct},
      {41, kLower + kPunct + kDigits, kLowerX + kPunct + kDigitsX},
      {42, kUpper + kPunct + kDigits, kUpperX + kPunct + kDigitsX},
      {52, kHex, kHexX},
      {12, kUpper, kUpperX},
      {99, kUpper, kUpperX},
  };
  const ZVPasswordMaker maker(*defaults);
  for (const Row& row : rows) {
    defaults->removeObjectForKey(QStringLiteral("enableDisambiguator"));
    EXPECT_EQ(ZVPasswordMaker::charactersForType(maker.disambiguatedSets(row.tag), row.tag),
              row.plain)
        << row.tag;
    exclude(QStringLiteral("0O1lI"));
    EXPECT_EQ(ZVPasswordMaker::charactersForType(maker.disambiguatedSets(row.tag), row.tag),
              row.withoutLookAlikes)
        << row.tag;
  }
}

TEST_F(ZVPasswordMakerTest, EveryCharacterIsReachedAndNoOtherAppears) {
  const ZVPasswordMaker maker(*defaults);
  for (bool excluding : {false, true}) {
    if (excluding) exclude(QStringLiteral("0O1lI"));
    for (int tag : kCharacterTags) {
      const QString alphabet =
          ZVPasswordMaker::charactersForType(maker.disambiguatedSets(tag), tag);
      QSet<QChar> seen;
      for (int i = 0; i < 400 && seen.size() < alphabet.size(); ++i) {
        const QString password = maker.generatePasswordType(tag, 42);
        ASSERT_EQ(password.size(), 42);
        for (QChar c : password) {
          ASSERT_TRUE(alphabet.contains(c)) << tag << " drew " << QString(c).toStdString();
          seen.insert(c);
        }
      }
      EXPECT_EQ(seen.size(), alphabet.size()) << "tag " << tag << " excluding " << excluding;
    }
  }
}

TEST_F(ZVPasswordMakerTest, EveryLetterGroupIsReachedInTheRightCase) {
  const ZVPasswordMaker maker(*defaults);
  for (bool excluding : {false, true}) {
    if (excluding) exclude(QStringLiteral("0O1lI"));
    for (int tag : {60, 61}) {
      const ZVPasswordMaker::CharacterSets sets = maker.disambiguatedSets(tag);
      QSet<QString> expected(sets.readableVowelArray.begin(), sets.readableVowelArray.end());
      expected.unite(
          QSet<QString>(sets.readableConsonantsArray.begin(), sets.readableConsonantsArray.end()));
      QSet<QString> seen;
      for (int i = 0; i < 400 && seen.size() < expected.size(); ++i) {
        const QString password = maker.generatePasswordType(tag, 42);
        ASSERT_EQ(password.size(), 42);
        ASSERT_EQ(password, tag == 60 ? password.toLower() : password.toUpper());
        QStringList groups = runs(password);
        const QString cut = groups.takeLast();  // the last group may have been cut short
        for (const QString& g : groups) {
          ASSERT_TRUE(expected.contains(g)) << tag << ": " << g.toStdString();
          seen.insert(g);
        }
        EXPECT_TRUE(std::any_of(expected.begin(), expected.end(), [&](const QString& g) {
          return g.startsWith(cut);
        })) << cut.toStdString();
      }
      EXPECT_EQ(seen, expected) << "tag " << tag << " excluding " << excluding;
    }
  }
}

TEST_F(ZVPasswordMakerTest, LookAlikesNeverAppearInAnyTypeOrCase) {
  const ZVPasswordMaker maker(*defaults);
  for (const QString& chars : {QStringLiteral("0O1lI"), QStringLiteral("aZ5@e"),
                               QStringLiteral("lL"), QStringLiteral("tTsS")}) {
    exclude(chars);
    for (int tag : kAllTags)
      for (int i = 0; i < 40; ++i) {
        const QString password = maker.generatePasswordType(tag, 42);
        ASSERT_EQ(password.size(), 42) << tag;
        for (QChar c : chars)
          ASSERT_FALSE(password.contains(c))
              << "tag " << tag << " left " << QString(c).toStdString() << " in "
              << password.toStdString();
      }
  }
}

TEST_F(ZVPasswordMakerTest, SettingsAreReadAtEveryGenerationAndOffOrEmptyLeavesAllIn) {
  const ZVPasswordMaker maker(*defaults);
  const auto containsLookAlike = [&](int tag) {
    for (int i = 0; i < 20; ++i)
      for (QChar c : maker.generatePasswordType(tag, 42))
        if (QStringLiteral("0O1lI").contains(c)) return true;
    return false;
  };
  EXPECT_TRUE(containsLookAlike(30));  // off: absent reads as off
  exclude(QStringLiteral("0O1lI"));
  EXPECT_FALSE(containsLookAlike(30));
  defaults->setString(QStringLiteral("noCharStringDisambiguator"), QString());
  EXPECT_TRUE(containsLookAlike(30));
  defaults->setString(QStringLiteral("noCharStringDisambiguator"), QStringLiteral("0O1lI"));
  defaults->setBool(QStringLiteral("enableDisambiguator"), false);
  EXPECT_TRUE(containsLookAlike(30));
  for (int tag : {60, 61}) {
    const auto sets = maker.disambiguatedSets(tag);
    EXPECT_EQ(sets.readableVowelArray.size(), 15);
    EXPECT_EQ(sets.readableConsonantsArray.size(), 34);
  }
}

// The exclusion applies to the written password: upper-case groups lose O and I, lower-case
// ones lose l (the groups L, LL, CL, GL), as the user's string says, case for case.
TEST_F(ZVPasswordMakerTest, GroupsAreFilteredInTheCaseTheyAreWrittenIn) {
  exclude(QStringLiteral("0O1lI"));
  const ZVPasswordMaker maker(*defaults);
  const auto upper = maker.disambiguatedSets(61);
  EXPECT_EQ(upper.readableVowelArray,
            (QStringList{QStringLiteral("A"), QStringLiteral("AU"), QStringLiteral("E"),
                         QStringLiteral("EA"), QStringLiteral("EE"), QStringLiteral("U")}));
  EXPECT_EQ(upper.readableConsonantsArray.size(), 34);
  const auto lower = maker.disambiguatedSets(60);
  EXPECT_EQ(lower.readableVowelArray.size(), 15);
  EXPECT_EQ(lower.readableConsonantsArray.size(), 30);
  for (const char* gone : {"l", "ll", "cl", "gl"})
    EXPECT_FALSE(lower.readableConsonantsArray.contains(QString::fromLatin1(gone))) << gone;
}

TEST_F(ZVPasswordMakerTest, PronounceablePasswordsFollowTheirScript) {
  struct Case {
    const char* exclusion;  // none: exclusion off
    int tag, length;
    std::vector<std::int64_t> draws;
    const char* password;
    std::vector<std::int64_t> maxima;  // of the ranges asked for, each from 0
  };
  const Case cases[] = {
      // A vowel first on a 1; groups alternate until the length is reached.
      {nullptr, 61, 5, {1, 1, 2, 0}, "AICHA", {1, 14, 33, 14}},
      // A consonant first on a 0; the overshoot is cut from the end.
      {nullptr, 60, 4, {0, 2, 3, 2}, "chec", {1, 33, 14, 33}},
      // One group always, even when it alone is too long.
      {nullptr, 61, 1, {1, 5}, "E", {1, 14}},
      // The shorter lists of the exclusion: 6 vowels in upper case, 30 consonants in lower.
      {"0O1lI", 61, 3, {1, 5, 33, 0}, "UZA", {1, 5, 33, 5}},
      {"0O1lI", 60, 2, {0, 10, 0}, "ma", {1, 29, 14}},
  };
  for (const Case& c : cases) {
    if (c.exclusion)
      exclude(QString::fromLatin1(c.exclusion));
    else
      defaults->removeObjectForKey(QStringLiteral("enableDisambiguator"));
    ScriptedRandom random;
    random.answers.assign(c.draws.begin(), c.draws.end());
    const ZVPasswordMaker maker(*defaults, random.source());
    EXPECT_EQ(maker.generatePasswordType(c.tag, c.length), QString::fromLatin1(c.password));
    EXPECT_TRUE(random.answers.empty()) << c.password << ": draws left over";
    ASSERT_EQ(random.asked.size(), c.maxima.size()) << c.password;
    for (std::size_t i = 0; i < c.maxima.size(); ++i)
      EXPECT_EQ(random.asked[i], std::make_pair(std::int64_t{0}, c.maxima[i])) << c.password;
  }
}

TEST_F(ZVPasswordMakerTest, NothingToDrawFromGivesTheEmptyPasswordWithoutDrawing) {
  struct Case {
    const char* exclusion;
    int tag, length;
  };
  const Case cases[] = {
      {nullptr, 40, 0},
      {nullptr, 60, -3},
      {nullptr, 30, INT_MIN},
      {"0123456789", 30, 12},
      {"aeiou", 60, 12},
      {"AEIOU", 61, 12},
      {"BCDFGJKLMNPRSTVWXYZ", 61, 12},
      {"0123456789ABCDEF", 52, 8},
  };
  for (const Case& c : cases) {
    if (c.exclusion)
      exclude(QString::fromLatin1(c.exclusion));
    else
      defaults->removeObjectForKey(QStringLiteral("enableDisambiguator"));
    ScriptedRandom random;  // no answers: any draw fails
    const ZVPasswordMaker maker(*defaults, random.source());
    EXPECT_EQ(maker.generatePasswordType(c.tag, c.length), QString()) << c.tag << " " << c.length;
    EXPECT_TRUE(random.asked.empty()) << c.tag << " " << c.length;
  }
}

TEST(ZVPasswordMakerStarsTest, EstimatesMatchTheirTable) {
  const int lengths[] = {5, 8, 12, 16, 20, 24, 32, 42};
  struct Row {
    std::vector<int> tags;
    int stars[8];
  };
  const Row rows[] = {
      {{10}, {1, 3, 4, 6, 7, 9, 12, 16}},     {{11, 52, 12, 99, 0}, {1, 2, 3, 5, 6, 7, 10, 13}},
      {{20}, {2, 3, 4, 6, 8, 9, 13, 17}},     {{21, 22}, {1, 2, 4, 5, 7, 8, 11, 15}},
      {{30}, {1, 1, 2, 3, 4, 5, 7, 9}},       {{40}, {2, 3, 5, 6, 8, 10, 13, 17}},
      {{41, 42}, {2, 3, 4, 6, 8, 9, 12, 16}}, {{60, 61}, {1, 2, 3, 4, 5, 6, 8, 10}},
  };
  for (const Row& row : rows)
    for (int tag : row.tags)
      for (int i = 0; i < 8; ++i)
        EXPECT_EQ(ZVPasswordMaker::calcStarNumberFromTypeTag(tag, lengths[i]), row.stars[i])
            << "tag " << tag << " length " << lengths[i];
}

// A reduction that favours some indexes (a modulo of a short draw, an off-by-one range) shows
// as counts far from even.
TEST_F(ZVPasswordMakerTest, CharactersAreDrawnEvenly) {
  const ZVPasswordMaker maker(*defaults);
  const QString alphabet = ZVPasswordMaker::charactersForType(maker.disambiguatedSets(40), 40);
  ASSERT_EQ(alphabet.size(), 79);
  std::map<QChar, int> counts;
  constexpr int kDraws = 100000;
  for (int i = 0; i < kDraws / 40; ++i)
    for (QChar c : maker.generatePasswordType(40, 40)) ++counts[c];
  ASSERT_EQ(counts.size(), std::size_t(alphabet.size()));
  const double expected = double(kDraws) / alphabet.size();
  const double sd = std::sqrt(expected * (1.0 - 1.0 / alphabet.size()));
  double chiSquare = 0;
  for (const auto& [c, n] : counts) {
    EXPECT_LT(std::abs(n - expected), 5.5 * sd) << QString(c).toStdString() << ": " << n;
    chiSquare += (n - expected) * (n - expected) / expected;
  }
  // 78 degrees of freedom: exceeded by chance once in a million runs at about 153.
  EXPECT_LT(chiSquare, 153.0);
}

}  // namespace
