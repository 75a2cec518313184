#include "platform/archive/ColorUnarchiver.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/archive/TypedStreamReader.h"

namespace {
Failure colorError(qsizetype entry, const QString& what) {
  return Failure{QStringLiteral("colour archive: %1 (entry %2)").arg(what).arg(entry)};
}

const TypedEntry* objectEntry(const TypedStream& stream, qsizetype entry) {
  if (entry < 0 || entry >= static_cast<qsizetype>(stream.entries.size())) return nullptr;
  const TypedEntry& e = stream.entries[static_cast<std::size_t>(entry)];
  return e.kind == TypedEntry::Kind::Object ? &e : nullptr;
}

const TypedValue* valueAt(const TypedStream& stream, const TypedEntry& object, std::size_t group,
                          std::size_t index) {
  const auto groups = stream.groupsOf(object);
  if (group >= groups.size() || index >= groups[group].count) return nullptr;
  return &stream.valuesOf(groups[group])[index];
}

// The type string of an object's group; empty when it has fewer.
QByteArray encodingAt(const TypedStream& stream, const TypedEntry& object, std::size_t group) {
  const auto groups = stream.groupsOf(object);
  return group < groups.size() ? stream.encodingOf(groups[group]) : QByteArray();
}
}  // namespace

Result<ArchivedColor> ColorUnarchiver::unarchiveObjectWithData(const QByteArray& data) {
  auto stream = TypedStreamReader::read(data);
  if (!stream) return Failure{stream.error()};
  const TypedStream& s = stream.value();
  if (s.groups.empty() || s.encodingOf(s.groups.front()) != "@" ||
      s.valuesOf(s.groups.front()).front().kind != TypedValue::Kind::Entry)
    return Failure{QStringLiteral("colour archive: the root is not an object")};
  return colorAt(s, s.valuesOf(s.groups.front()).front().entry);
}

Result<QString> ColorUnarchiver::stringAt(const TypedStream& stream, qsizetype entry) {
  const TypedEntry* object = objectEntry(stream, entry);
  const QByteArray cls = stream.classNameOf(entry);
  if (!object || (cls != "NSString" && cls != "NSMutableString"))
    return Failure{QStringLiteral("colour archive: entry %1 is not a string").arg(entry)};
  const TypedValue* bytes = valueAt(stream, *object, 0, 0);
  if (!bytes || encodingAt(stream, *object, 0) != "+" || bytes->kind != TypedValue::Kind::Bytes)
    return Failure{QStringLiteral("colour archive: string %1 has no bytes").arg(entry)};
  return QString::fromUtf8(stream.bytesOf(*bytes));
}

Result<ArchivedColor> ColorUnarchiver::colorAt(const TypedStream& stream, qsizetype entry) {
  return colorAt(stream, entry, 0);
}

Result<ArchivedColor> ColorUnarchiver::colorAt(const TypedStream& stream, qsizetype entry,
                                               int depth) {
  const TypedEntry* object = objectEntry(stream, entry);
  if (!object) return colorError(entry, QStringLiteral("not an object"));
  if (stream.classNameOf(entry) != "NSColor")
    return colorError(entry, QStringLiteral("class %1 is not NSColor")
                                 .arg(QString::fromLatin1(stream.classNameOf(entry))));
  const TypedValue* code = valueAt(stream, *object, 0, 0);
  if (!code || encodingAt(stream, *object, 0) != "c")
    return colorError(entry, QStringLiteral("no colour-space code"));

  const int space = static_cast<int>(code->integer);
  if (space == 6) {
    // A catalogue colour: catalogue name, colour name, then the colour it resolved to.
    if (encodingAt(stream, *object, 1) != "@@@")
      return colorError(entry, QStringLiteral("named colour without its three objects"));
    const auto values = stream.valuesOf(stream.groupsOf(*object)[1]);
    if (depth >= kMaxNamedDepth)
      return colorError(entry, QStringLiteral("named colours nest too deeply"));
    if (values[2].kind != TypedValue::Kind::Entry)
      return colorError(entry, QStringLiteral("named colour has no colour to show"));
    auto resolved = colorAt(stream, values[2].entry, depth + 1);
    if (!resolved) return resolved;
    ArchivedColor named = resolved.take();
    if (values[0].kind == TypedValue::Kind::Entry) {
      auto catalog = stringAt(stream, values[0].entry);
      if (!catalog) return Failure{catalog.error()};
      named.catalogName = catalog.take();
    }
    if (values[1].kind == TypedValue::Kind::Entry) {
      auto name = stringAt(stream, values[1].entry);
      if (!name) return Failure{name.error()};
      named.colorName = name.take();
    }
    return named;
  }

  static constexpr std::array<int, 6> kComponents = {0, 4, 4, 2, 2, 5};
  if (space < 1 || space > 5)
    return colorError(entry, QStringLiteral("unsupported colour space %1").arg(space));
  const auto n = static_cast<std::size_t>(kComponents[static_cast<std::size_t>(space)]);
  if (encodingAt(stream, *object, 1) != QByteArray(static_cast<qsizetype>(n), 'f'))
    return colorError(
        entry, QStringLiteral("colour space %1 without its %2 components").arg(space).arg(n));
  std::array<float, 5> c{};
  for (std::size_t i = 0; i < n; ++i) {
    const double v = stream.valuesOf(stream.groupsOf(*object)[1])[i].real;
    if (std::isnan(v)) return colorError(entry, QStringLiteral("component %1 is NaN").arg(i));
    c[i] = static_cast<float>(std::clamp(v, 0.0, 1.0));
  }
  ArchivedColor result;
  switch (space) {
    case 1:
      result.color = Color::calibratedRGB(c[0], c[1], c[2], c[3]);
      break;
    case 2:
      result.color = Color::deviceRGB(c[0], c[1], c[2], c[3]);
      break;
    case 3:
      result.color = Color::calibratedWhite(c[0], c[1]);
      break;
    case 4:
      result.color = Color::deviceWhite(c[0], c[1]);
      break;
    default:
      result.color = Color::deviceCMYK(c[0], c[1], c[2], c[3], c[4]);
      break;
  }
  return result;
}
