#include "generator/ZVPasswordMaker.h"

#include <cmath>

#include "Common/RandomInRange.h"
#include "platform/UserDefaults.h"

namespace {

QStringList groups(std::initializer_list<const char*> names) {
  QStringList out;
  for (const char* name : names) out << QString::fromLatin1(name);
  return out;
}

// The star base of a type: fixed numbers, not the sizes of its sets.
long double starBase(int tag) {
  switch (tag) {
    case 10:
      return 52;
    case 20:
      return 62;
    case 21:
    case 22:
      return 36;
    case 30:
      return 10;
    case 40:
      return 71;
    case 41:
    case 42:
      return 55;
    default:
      return 26;
  }
}

}  // namespace

ZVPasswordMaker::ZVPasswordMaker(const UserDefaults& defaults, RandomSource random)
    : defaults_(defaults), random_(random ? std::move(random) : RandomSource(randomInRange)) {}

ZVPasswordMaker& ZVPasswordMaker::sharedPasswordMaker() {
  static ZVPasswordMaker shared(UserDefaults::standardUserDefaults());
  return shared;
}

const ZVPasswordMaker::CharacterSets& ZVPasswordMaker::fixedSets() {
  static const CharacterSets sets{
      QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
      // H and I are left out of the upper-case letters on purpose.
      QStringLiteral("ABCDEFGJKLMNOPQRSTUVWXYZ"),
      QStringLiteral("0123456789"),
      QStringLiteral("@!$%&()?#;,:._+-*/="),
      QStringLiteral("0123456789ABCDEF"),
      groups({"A", "AI", "AU", "E", "EA", "EE", "I", "IA", "IO", "O", "OA", "OI", "OO", "OU", "U"}),
      groups({"B",  "C",  "CH", "CL", "D",  "F", "FF", "G",  "GH", "GL", "J", "K",
              "L",  "LL", "M",  "MN", "N",  "P", "PH", "PS", "R",  "RH", "S", "SC",
              "SH", "SK", "ST", "T",  "TH", "V", "W",  "X",  "Y",  "Z"}),
  };
  return sets;
}

QString ZVPasswordMaker::exclusionString() const {
  if (!defaults_.boolForKey(QStringLiteral("enableDisambiguator"))) return {};
  return defaults_.stringForKey(QStringLiteral("noCharStringDisambiguator"));
}

QString ZVPasswordMaker::removeCharsFromString(const QString& string, const QString& charString) {
  QString out = string;
  for (QChar c : charString) out.remove(c, Qt::CaseSensitive);
  return out;
}

QStringList ZVPasswordMaker::removeElementsFromArray(const QStringList& array,
                                                     const QString& usingDisambiguatorString) {
  QStringList out;
  for (const QString& element : array) {
    bool keep = true;
    for (QChar c : usingDisambiguatorString) keep = keep && !element.contains(c, Qt::CaseSensitive);
    if (keep) out << element;
  }
  return out;
}

ZVPasswordMaker::CharacterSets ZVPasswordMaker::disambiguatedSets(int tag) const {
  CharacterSets sets = fixedSets();
  // Pronounceable passwords of type 60 come out in lower case: the look-alikes are those of
  // the written password, so "l" must not slip through as the group "L".
  if (tag == 60) {
    for (QString& g : sets.readableVowelArray) g = g.toLower();
    for (QString& g : sets.readableConsonantsArray) g = g.toLower();
  }
  const QString exclusion = exclusionString();
  if (exclusion.isEmpty()) return sets;
  sets.lowercaseAlphaString = removeCharsFromString(sets.lowercaseAlphaString, exclusion);
  sets.uppercaseAlphaString = removeCharsFromString(sets.uppercaseAlphaString, exclusion);
  sets.numericString = removeCharsFromString(sets.numericString, exclusion);
  sets.punctuationString = removeCharsFromString(sets.punctuationString, exclusion);
  sets.exadecimalString = removeCharsFromString(sets.exadecimalString, exclusion);
  sets.readableVowelArray = removeElementsFromArray(sets.readableVowelArray, exclusion);
  sets.readableConsonantsArray = removeElementsFromArray(sets.readableConsonantsArray, exclusion);
  return sets;
}

QString ZVPasswordMaker::charactersForType(const CharacterSets& s, int tag) {
  switch (tag) {
    case 10:
      return s.lowercaseAlphaString + s.uppercaseAlphaString;
    case 11:
      return s.lowercaseAlphaString;
    case 20:
      return s.lowercaseAlphaString + s.uppercaseAlphaString + s.numericString;
    case 21:
      return s.lowercaseAlphaString + s.numericString;
    case 22:
      return s.uppercaseAlphaString + s.numericString;
    case 30:
      return s.numericString;
    case 40:
      return s.lowercaseAlphaString + s.uppercaseAlphaString + s.numericString +
             s.punctuationString;
    case 41:
      return s.lowercaseAlphaString + s.punctuationString + s.numericString;
    case 42:
      return s.uppercaseAlphaString + s.punctuationString + s.numericString;
    case 52:
      return s.exadecimalString;
    default:
      return s.uppercaseAlphaString;
  }
}

QString ZVPasswordMaker::generatePasswordType(int tag, int length) const {
  const CharacterSets sets = disambiguatedSets(tag);
  if (!isPronounceable(tag))
    return generatePasswordFromStringArray(charactersForType(sets, tag), length);
  QString text = generatePasswordFromArrayOfVowels(sets.readableVowelArray,
                                                   sets.readableConsonantsArray, length);
  return tag == 60 ? std::move(text).toLower() : std::move(text).toUpper();
}

QString ZVPasswordMaker::generatePasswordFromStringArray(const QString& characters,
                                                         int length) const {
  if (length <= 0 || characters.isEmpty()) return {};
  QString out;
  out.reserve(length);
  const qsizetype last = characters.size() - 1;
  for (int i = 0; i < length; ++i) out += characters.at(random_(0, last));
  return out;
}

QString ZVPasswordMaker::generatePasswordFromArrayOfVowels(const QStringList& vowels,
                                                           const QStringList& consonants,
                                                           int length) const {
  if (length <= 0 || vowels.isEmpty() || consonants.isEmpty()) return {};
  QString text;
  // Room for the longest overshoot, so no reallocation leaves a copy of the password behind.
  text.reserve(length + 2);
  bool vowel = random_(0, 1) == 1;
  while (text.size() < length) {
    const QStringList& list = vowel ? vowels : consonants;
    text += list.at(random_(0, list.size() - 1));
    vowel = !vowel;
  }
  // Cut the overshoot, blanking it first: the buffer keeps its capacity.
  for (qsizetype i = length; i < text.size(); ++i) text[i] = QChar();
  text.truncate(length);
  return text;
}

int ZVPasswordMaker::calcStarNumberFromTypeTag(int tag, int length) {
  // Extended precision, so that the truncation lands where the other editions' does.
  const long double exponent = isPronounceable(tag) ? 49.0L * length / 74.0L : length;
  const long double base = isPronounceable(tag) ? 49.0L : starBase(tag);
  return static_cast<int>(std::trunc(exponent * std::log(base) / 10.0L));
}
