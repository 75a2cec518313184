#include "platform/archive/XmlPropertyListReader.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <cmath>
#include <limits>

#include "platform/Date.h"

namespace {
bool isSignedDecimal(QStringView text) {
  if (text.startsWith(u'-') || text.startsWith(u'+')) text = text.mid(1);
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}
}  // namespace

Failure XmlPropertyListReader::fail(const QString& what) const {
  return Failure{
      QStringLiteral("XML property list: %1 (line %2)").arg(what).arg(xml_.lineNumber())};
}

Result<PropertyListRef> XmlPropertyListReader::read(const QByteArray& bytes) {
  QXmlStreamReader xml(bytes);
  XmlPropertyListReader reader(xml);
  return reader.document();
}

Result<PropertyListRef> XmlPropertyListReader::document() {
  // Up to the root element: only the prolog's declaration, a DOCTYPE without entities,
  // comments and processing instructions.
  while (!xml_.atEnd()) {
    const auto token = xml_.readNext();
    if (token == QXmlStreamReader::StartElement) break;
    if (token == QXmlStreamReader::Invalid) return fail(xml_.errorString());
    if (token == QXmlStreamReader::DTD && !xml_.entityDeclarations().isEmpty())
      return fail(QStringLiteral("the document type declares entities"));
    if (token == QXmlStreamReader::Characters && !xml_.isWhitespace())
      return fail(QStringLiteral("text before the root element"));
  }
  if (xml_.tokenType() != QXmlStreamReader::StartElement)
    return fail(xml_.hasError() ? xml_.errorString() : QStringLiteral("no root element"));
  if (xml_.name() != u"plist")
    return fail(QStringLiteral("root element <%1> is not <plist>").arg(xml_.name()));

  auto first = nextChild();
  if (!first) return first.failure();
  if (!first.value()) return fail(QStringLiteral("<plist> holds no object"));
  auto root = object(1);
  if (!root) return root;
  auto more = nextChild();
  if (!more) return more.failure();
  if (more.value()) return fail(QStringLiteral("<plist> holds more than one object"));

  // After the root: comments, processing instructions and white space only (the XML reader
  // refuses anything else).
  while (!xml_.atEnd())
    if (xml_.readNext() == QXmlStreamReader::Invalid) return fail(xml_.errorString());
  return root;
}

Result<bool> XmlPropertyListReader::nextChild() {
  while (!xml_.atEnd()) {
    switch (xml_.readNext()) {
      case QXmlStreamReader::StartElement:
        return true;
      case QXmlStreamReader::EndElement:
        return false;
      case QXmlStreamReader::Characters:
        if (!xml_.isWhitespace()) return fail(QStringLiteral("text where an element belongs"));
        break;
      case QXmlStreamReader::EntityReference:
        return fail(QStringLiteral("undeclared entity &%1;").arg(xml_.name()));
      case QXmlStreamReader::Invalid:
        return fail(xml_.errorString());
      default:  // comments and processing instructions
        break;
    }
  }
  return fail(xml_.hasError() ? xml_.errorString() : QStringLiteral("document ends early"));
}

Result<PropertyListRef> XmlPropertyListReader::object(int depth) {
  if (depth > kMaxDepth) return fail(QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
  const QStringView name = xml_.name();
  if (name == u"array") return array(depth);
  if (name == u"dict") return dictionary(depth);
  if (name == u"key") return fail(QStringLiteral("<key> outside a dictionary"));
  return scalar();
}

Result<PropertyListRef> XmlPropertyListReader::array(int depth) {
  std::vector<PropertyListRef> items;
  for (;;) {
    auto child = nextChild();
    if (!child) return child.failure();
    if (!child.value()) break;
    auto item = object(depth + 1);
    if (!item) return item;
    items.push_back(item.take());
  }
  return PropertyListObject::array(std::move(items));
}

Result<PropertyListRef> XmlPropertyListReader::dictionary(int depth) {
  std::vector<QString> keys;
  std::vector<PropertyListRef> values;
  QSet<QString> seen;
  for (;;) {
    auto child = nextChild();
    if (!child) return child.failure();
    if (!child.value()) break;
    if (xml_.name() != u"key")
      return fail(QStringLiteral("<%1> where a <key> belongs").arg(xml_.name()));
    auto key = scalar();
    if (!key) return key;
    const QString& text = key.value()->stringValue();
    if (seen.contains(text)) return fail(QStringLiteral("key \"%1\" appears twice").arg(text));
    seen.insert(text);
    auto valueStart = nextChild();
    if (!valueStart) return valueStart.failure();
    if (!valueStart.value()) return fail(QStringLiteral("key \"%1\" has no value").arg(text));
    if (xml_.name() == u"key") return fail(QStringLiteral("key \"%1\" has no value").arg(text));
    auto value = object(depth + 1);
    if (!value) return value;
    keys.push_back(text);
    values.push_back(value.take());
  }
  return PropertyListObject::dictionary(std::move(keys), std::move(values));
}

Result<PropertyListRef> XmlPropertyListReader::scalar() {
  const QString name = xml_.name().toString();
  // The element's text; entity references other than XML's own are refused above.
  QString text;
  for (bool done = false; !done;) {
    switch (xml_.readNext()) {
      case QXmlStreamReader::Characters:
        text += xml_.text();
        break;
      case QXmlStreamReader::EndElement:
        done = true;
        break;
      case QXmlStreamReader::StartElement:
        return fail(QStringLiteral("<%1> inside <%2>").arg(xml_.name(), name));
      case QXmlStreamReader::EntityReference:
        return fail(QStringLiteral("undeclared entity &%1;").arg(xml_.name()));
      case QXmlStreamReader::Invalid:
        return fail(xml_.errorString());
      case QXmlStreamReader::EndDocument:
        return fail(QStringLiteral("document ends inside <%1>").arg(name));
      default:
        break;
    }
  }

  if (name == u"string" || name == u"key") return PropertyListObject::string(std::move(text));
  const QString trimmed = text.trimmed();
  if (name == u"true" || name == u"false") {
    if (!trimmed.isEmpty()) return fail(QStringLiteral("text inside <%1/>").arg(name));
    return PropertyListObject::boolean(name == u"true");
  }
  if (name == u"integer") {
    bool ok = false;
    if (isSignedDecimal(trimmed)) {
      const qint64 value = trimmed.toLongLong(&ok);
      if (ok) return PropertyListObject::integer(value);
      if (!trimmed.startsWith(u'-')) {
        const quint64 big = trimmed.toULongLong(&ok);
        if (ok) return PropertyListObject::unsignedInteger(big);
      }
    }
    return fail(
        QStringLiteral("\"%1\" is not an integer of at most 64 bits").arg(trimmed.left(40)));
  }
  if (name == u"real") {
    const QString lower = trimmed.toLower();
    constexpr double inf = std::numeric_limits<double>::infinity();
    if (lower == u"nan") return PropertyListObject::real(std::numeric_limits<double>::quiet_NaN());
    if (lower == u"inf" || lower == u"+inf" || lower == u"infinity" || lower == u"+infinity")
      return PropertyListObject::real(inf);
    if (lower == u"-inf" || lower == u"-infinity") return PropertyListObject::real(-inf);
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value))
      return fail(QStringLiteral("\"%1\" is not a number").arg(trimmed.left(40)));
    return PropertyListObject::real(value);
  }
  if (name == u"date") {
    static const QRegularExpression form(
        QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}:\\d{2}:\\d{2}Z$"));
    QDateTime when;
    if (form.match(trimmed).hasMatch()) when = QDateTime::fromString(trimmed, Qt::ISODate);
    if (!when.isValid())
      return fail(QStringLiteral("\"%1\" is not a date such as 2001-01-01T00:00:00Z")
                      .arg(trimmed.left(40)));
    return PropertyListObject::date(Date::fromDateTime(when).sinceReferenceDate);
  }
  if (name == u"data") {
    QByteArray base64 = trimmed.toLatin1();
    base64.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
    auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return fail(QStringLiteral("<data> is not Base64"));
    return PropertyListObject::data(std::move(*decoded));
  }
  return fail(QStringLiteral("unknown element <%1>").arg(name));
}
