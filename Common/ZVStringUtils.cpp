#include "Common/ZVStringUtils.h"

#include <QDateTime>
#include <QUuid>
#include <mutex>

#include "Common/RandomInRange.h"
#include "Common/TextMeasurer.h"
#include "platform/Clock.h"
#include "platform/Date.h"
#include "platform/crypto/SecureRandom.h"

namespace {

QString canonical(const QUuid& uuid) { return uuid.toString(QUuid::WithoutBraces).toUpper(); }

// Space, tab and the other horizontal blanks; not line ends.
bool isHorizontalWhitespace(QChar ch) {
  return ch == QLatin1Char('\t') || ch.category() == QChar::Separator_Space;
}

QString trimmedOf(const QString& string, QChar ch) {
  qsizetype begin = 0;
  qsizetype end = string.size();
  while (begin < end && string.at(begin) == ch) ++begin;
  while (end > begin && string.at(end - 1) == ch) --end;
  return string.mid(begin, end - begin);
}

struct SerialState {
  std::mutex mutex;
  QString lastTimeString;
  std::int64_t counter = 0;
};

SerialState& serialState() {
  static SerialState state;
  return state;
}

}  // namespace

QString ZVStringUtils::createUUIDString() { return canonical(QUuid::createUuid()); }

QString ZVStringUtils::uniqueUUIDString() {
  QByteArray bytes(16, '\0');
  if (SecureRandom::copyBytes(bytes.data(), 16) != 0) return createUUIDString();
  bytes[6] = static_cast<char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return canonical(QUuid::fromRfc4122(bytes));
}

QString ZVStringUtils::uniqueTimeString() {
  const QDateTime local = Clock::now().toDateTime().toLocalTime();
  const QDate day = local.date();
  const QTime time = local.time();
  return QString::asprintf("%li%02li%02li%02li%02li%02li", long(day.year()), long(day.month()),
                           long(day.day()), long(time.hour()), long(time.minute()),
                           long(time.second()));
}

QString ZVStringUtils::uniqueTimeRandString() {
  return uniqueTimeString() +
         QString::asprintf("%05lli", static_cast<long long>(randomInRange(1, 32000000000000)));
}

QString ZVStringUtils::getNewSerialForTimeString(const QString& timeString) {
  SerialState& state = serialState();
  std::lock_guard lock(state.mutex);
  if (timeString == state.lastTimeString) {
    ++state.counter;
  } else {
    state.counter = 0;
  }
  state.lastTimeString = timeString;
  return QString::number(state.counter);
}

QString ZVStringUtils::uniqueTimeSerialString() {
  const QString time = uniqueTimeString();
  return time + getNewSerialForTimeString(time);
}

QString ZVStringUtils::trimString(const QString& string, const QString& acceptingOnlyChars) {
  QString kept;
  kept.reserve(string.size());
  for (QChar ch : string) {
    if (acceptingOnlyChars.contains(ch)) kept.append(ch);
  }
  return kept;
}

QString ZVStringUtils::trimStringToFit(const QString& string, int pixelLenght,
                                       const TextMeasurer& withAttributes) {
  if (pixelLenght >= withAttributes.widthOf(string)) return string;
  const QString dots = QStringLiteral("..");
  QString prefix = string;
  // Stop at one code point: the first character and the dots always survive.
  auto lastCodePointLength = [](const QString& s) {
    return s.size() >= 2 && s.back().isLowSurrogate() && s.at(s.size() - 2).isHighSurrogate() ? 2
                                                                                              : 1;
  };
  while (withAttributes.widthOf(prefix + dots) > pixelLenght) {
    const qsizetype last = lastCodePointLength(prefix);
    if (prefix.size() - last < 1) break;
    prefix.chop(last);
  }
  return prefix + dots;
}

std::optional<QString> ZVStringUtils::removeInitialSpaces(const QString& string) {
  qsizetype begin = 0;
  while (begin < string.size() && isHorizontalWhitespace(string.at(begin))) ++begin;
  if (begin == string.size()) return std::nullopt;
  return string.mid(begin);
}

QString ZVStringUtils::trimLateralSpace(const QString& string) {
  return trimmedOf(string, QLatin1Char(' '));
}

QString ZVStringUtils::removeLateralSpace(const QString& string) {
  return trimLateralSpace(string);
}

bool ZVStringUtils::spaceTrimmedNotEmpy(const std::optional<QString>& string) {
  return string.has_value() && !trimLateralSpace(*string).isEmpty();
}

QString ZVStringUtils::trimLateralQuote(const QString& string) {
  return trimmedOf(string, QLatin1Char('"'));
}

QString ZVStringUtils::addLeading0(const QString& string, std::int64_t totalLen) {
  if (totalLen <= string.size()) return string;
  return QString(static_cast<qsizetype>(totalLen - string.size()), QLatin1Char('0')) + string;
}
