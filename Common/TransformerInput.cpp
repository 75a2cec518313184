#include "Common/TransformerInput.h"

#include <QLocale>

#include "platform/Array.h"

namespace TransformerInput {

namespace {
// The text after leading white space and one sign.
QStringView unsignedPart(QStringView text) {
  qsizetype i = 0;
  while (i < text.size() && text[i].isSpace()) ++i;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
  return text.sliced(i);
}
}  // namespace

bool boolOf(const Value& v) {
  if (!v.isString()) return v.toBool(false);
  QStringView digits = unsignedPart(*v.stringPointer());
  while (!digits.isEmpty() && digits.front() == u'0') digits = digits.sliced(1);
  if (digits.isEmpty()) return false;
  const QChar first = digits.front();
  return first == u'Y' || first == u'y' || first == u'T' || first == u't' ||
         (first >= u'1' && first <= u'9');
}

qint64 integerOf(const Value& v) {
  if (!v.isString()) return v.toInteger(0);
  const QStringView text = *v.stringPointer();
  const QStringView rest = unsignedPart(text);
  qsizetype length = 0;
  while (length < rest.size() && length < 18 && rest[length] >= u'0' && rest[length] <= u'9')
    ++length;
  qint64 magnitude = 0;
  for (qsizetype i = 0; i < length; ++i) magnitude = magnitude * 10 + (rest[i].unicode() - u'0');
  const qsizetype signAt = text.size() - rest.size() - 1;
  return signAt >= 0 && text[signAt] == u'-' ? -magnitude : magnitude;
}

float floatOf(const Value& v) {
  if (!v.isString()) return v.toFloat(0.0f);
  const QStringView text = *v.stringPointer();
  const auto digitsFrom = [&text](qsizetype i) {
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i;
    return i;
  };
  qsizetype start = 0;
  while (start < text.size() && text[start].isSpace()) ++start;
  qsizetype end = start;
  if (end < text.size() && (text[end] == u'+' || text[end] == u'-')) ++end;
  const qsizetype mantissa = end;
  end = digitsFrom(end);
  bool anyDigit = end > mantissa;
  if (end < text.size() && text[end] == u'.') {
    const qsizetype fraction = digitsFrom(end + 1);
    anyDigit |= fraction > end + 1;
    end = fraction;
  }
  if (!anyDigit) return 0.0f;
  if (end < text.size() && (text[end] == u'e' || text[end] == u'E')) {
    qsizetype at = end + 1;
    if (at < text.size() && (text[at] == u'+' || text[at] == u'-')) ++at;
    const qsizetype exponent = digitsFrom(at);
    if (exponent > at) end = exponent;
  }
  return QLocale::c().toFloat(text.sliced(start, end - start));
}

std::vector<Value> listOf(const QVariant& v) {
  std::vector<Value> out;
  const Value model = read(v);
  if (model.isArray()) {
    const ArrayRef array = model.toArray();
    out.reserve(static_cast<std::size_t>(array->count()));
    for (qsizetype i = 0; i < array->count(); ++i) out.push_back(array->at(i));
    return out;
  }
  if (v.metaType() == QMetaType::fromType<QVariantList>() ||
      v.metaType() == QMetaType::fromType<QStringList>())
    for (const QVariant& item : v.toList()) out.push_back(read(item));
  return out;
}

QString textOf(const Value& v) {
  if (v.isString()) return *v.stringPointer();
  if (v.isNumber()) return v.toString();
  return {};
}

}  // namespace TransformerInput
