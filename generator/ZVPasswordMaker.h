#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class UserDefaults;

// Makes random passwords of a character-set type and a length, from fixed character sets or
// from pronounceable letter groups, leaving out look-alike characters when the settings ask
// for it, and rates a type and length in stars. Every draw comes from one random source.
class ZVPasswordMaker {
 public:
  // An integer in [min, max], both ends included; never asked for an empty range.
  using RandomSource = std::function<std::int64_t(std::int64_t min, std::int64_t max)>;

  // The character sets, fixed or less the look-alikes in force.
  struct CharacterSets {
    QString lowercaseAlphaString;
    QString uppercaseAlphaString;
    QString numericString;
    QString punctuationString;
    QString exadecimalString;
    QStringList readableVowelArray;
    QStringList readableConsonantsArray;
  };

  // Reads the look-alike settings from defaults at every generation; draws with randomInRange
  // unless given another source (tests script the draws).
  explicit ZVPasswordMaker(const UserDefaults& defaults, RandomSource random = {});

  // The engine over the user's own settings, made by the first call and kept until the
  // process ends.
  static ZVPasswordMaker& sharedPasswordMaker();

  static const CharacterSets& fixedSets();

  // A new password; empty for a length of 0 or less, or when the look-alike exclusion leaves
  // nothing to draw from.
  QString generatePasswordType(int tag, int length) const;
  // trunc(L ln b / 10) with the type's fixed base b; the exclusion plays no part.
  static int calcStarNumberFromTypeTag(int tag, int length);

  // The working sets of a generation of that type: the fixed sets less the look-alikes when
  // exclusion is on. The letter groups are matched in the case the type writes them in.
  CharacterSets disambiguatedSets(int tag) const;
  // The characters a type other than the pronounceable ones draws from, joined in its order.
  static QString charactersForType(const CharacterSets& sets, int tag);

  QString generatePasswordFromStringArray(const QString& characters, int length) const;
  QString generatePasswordFromArrayOfVowels(const QStringList& vowels,
                                            const QStringList& consonants, int length) const;

  static QString removeCharsFromString(const QString& string, const QString& charString);
  static QStringList removeElementsFromArray(const QStringList& array,
                                             const QString& usingDisambiguatorString);

  static bool isPronounceable(int tag) { return tag == 60 || tag == 61; }

 private:
  // The characters to leave out, or empty when exclusion is off.
  QString exclusionString() const;

  const UserDefaults& defaults_;
  RandomSource random_;
};
