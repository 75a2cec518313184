#include "Common/ZVUnarchivieFromDataToText.h"

#include "Common/TransformerInput.h"
#include "platform/archive/ColorUnarchiver.h"
#include "platform/archive/TypedStreamReader.h"

using namespace TransformerInput;

Result<QString> ZVUnarchivieFromDataToText::plainText(const QByteArray& archive) {
  auto stream = TypedStreamReader::read(archive);
  if (!stream) return Failure{stream.error()};
  const TypedStream& s = stream.value();
  const auto onlyObject = [&s](const TypedGroup& group) -> qsizetype {
    if (s.encodingOf(group) != "@" || s.valuesOf(group).front().kind != TypedValue::Kind::Entry)
      return -1;
    return s.valuesOf(group).front().entry;
  };
  if (s.groups.empty()) return Failure{QStringLiteral("text archive: no root object")};
  const qsizetype root = onlyObject(s.groups[0]);
  const QByteArray cls = s.classNameOf(root);
  if (cls == "NSString" || cls == "NSMutableString") return ColorUnarchiver::stringAt(s, root);
  if (cls != "NSAttributedString" && cls != "NSMutableAttributedString")
    return Failure{QStringLiteral("text archive: the root is not a text")};
  // A styled text archives its characters first, as a string object, then its style runs.
  const TypedEntry& text = s.entries[static_cast<std::size_t>(root)];
  if (s.groupsOf(text).empty()) return Failure{QStringLiteral("text archive: no characters")};
  return ColorUnarchiver::stringAt(s, onlyObject(s.groupsOf(text).front()));
}

QVariant ZVUnarchivieFromDataToText::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  if (!v.isData()) return {};
  auto text = plainText(v.toData());
  if (!text) return {};
  return QVariant::fromValue(Value(text.take()));
}

QMetaType ZVUnarchivieFromDataToText::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
