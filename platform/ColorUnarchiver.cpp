#include "platform/ColorUnarchiver.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/TypedStreamReader.h"

namespace {
Failure colorError(qsizetype entry, const QString& what) {
  return Failure{QStringLiteral("colour archive: %1 (entry %2)").arg(what).arg(entry)};
}

const TypedEntry* objectEntry(const TypedStream& stream, qsizetype entry) {
  if (entry < 0 || entry >= static_cast<qsizetype>(stream.entries.size())) return nullptr;
  const TypedEntry& e = stream.entries[static_cast<std::size_t>(entry)];
  return e.kind == TypedEntry::Kind::Object ? &e : nullptr;
}

const TypedValue* valueAt(const TypedEntry& object, std::size_t group, std::size_t index) {
  if (group >= object.groups.size() || index >= object.groups[group].values.size()) return nullptr;
  return &object.groups[group].values[index];
}
}  // namespace

Result<ArchivedColor> ColorUnarchiver::unarchiveObjectWithData(const QByteArray& data) {
  auto stream = TypedStreamReader::read(data);
  if (!stream) return Failure{stream.error()};
  const TypedStream& s = stream.value();
  if (s.groups.empty() || s.groups.front().encoding != "@" ||
      s.groups.front().values.front().kind != TypedValue::Kind::Entry)
    return Failure{QStringLiteral("colour archive: the root is not an object")};
  return colorAt(s, s.groups.front().values.front().entry);
}

Result<QString> ColorUnarchiver::stringAt(const TypedStream& stream, qsizetype entry) {
  const TypedEntry* object = objectEntry(stream, entry);
  const QByteArray cls = stream.classNameOf(entry);
  if (!object || (cls != "NSString" && cls != "NSMutableString"))
    return Failure{QStringLiteral("colour archive: entry %1 is not a string").arg(entry)};
  const TypedValue* bytes = valueAt(*object, 0, 0);
  if (!bytes || object->groups[0].encoding != "+" || bytes->kind != TypedValue::Kind::Bytes)
    return Failure{QStringLiteral("colour archive: string %1 has no bytes").arg(entry)};
  return QString::fromUtf8(bytes->bytes);
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
  const TypedValue* code = valueAt(*object, 0, 0);
  if (!code || object->groups[0].encoding != "c")
    return colorError(entry, QStringLiteral("no colour-space code"));

  const int space = static_cast<int>(code->integer);
  if (space == 6) {
    // A catalogue colour: catalogue name, colour name, then the colour it resolved to.
    if (object->groups.size() < 2 || object->groups[1].encoding != "@@@")
      return colorError(entry, QStringLiteral("named colour without its three objects"));
    const auto& values = object->groups[1].values;
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
  if (object->groups.size() < 2 || object->groups[1].values.size() != n ||
      object->groups[1].encoding != QByteArray(static_cast<qsizetype>(n), 'f'))
    return colorError(
        entry, QStringLiteral("colour space %1 without its %2 components").arg(space).arg(n));
  std::array<float, 5> c{};
  for (std::size_t i = 0; i < n; ++i) {
    const double v = object->groups[1].values[i].real;
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
