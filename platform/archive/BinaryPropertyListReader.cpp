#include "platform/archive/BinaryPropertyListReader.h"

using Type = BinaryPropertyListView::Type;

BinaryPropertyListReader::BinaryPropertyListReader(const BinaryPropertyListView& view)
    : view_(view), decoded_(view.objectCount()), state_(view.objectCount(), 0) {}

Result<PropertyListRef> BinaryPropertyListReader::read(const QByteArray& bytes) {
  auto view = BinaryPropertyListView::open(bytes);
  if (!view) return Failure{view.error()};
  BinaryPropertyListReader reader(view.value());
  return reader.object(view.value().topObject(), 0);
}

Result<PropertyListRef> BinaryPropertyListReader::object(quint64 index, int depth) {
  if (state_[index] == 2) return decoded_[index];
  if (state_[index] == 1) return view_.fail(index, 0, QStringLiteral("object contains itself"));
  if (depth > kMaxDepth)
    return view_.fail(index, 0, QStringLiteral("nesting deeper than %1").arg(kMaxDepth));
  state_[index] = 1;
  auto result = parseObject(index, depth);
  if (!result) return result;
  state_[index] = 2;
  decoded_[index] = result.value();
  return result;
}

Result<std::vector<PropertyListRef>> BinaryPropertyListReader::references(
    const BinaryPropertyListView::Object& container, quint64 first, int depth) {
  std::vector<PropertyListRef> items;
  items.reserve(container.count);
  for (quint64 i = first; i < first + container.count; ++i) {
    auto ref = view_.reference(container, i);
    if (!ref) return Failure{ref.error()};
    auto item = object(ref.value(), depth + 1);
    if (!item) return Failure{item.error()};
    items.push_back(item.take());
  }
  return items;
}

Result<PropertyListRef> BinaryPropertyListReader::parseObject(quint64 index, int depth) {
  auto parsed = view_.object(index);
  if (!parsed) return Failure{parsed.error()};
  const BinaryPropertyListView::Object& o = parsed.value();
  switch (o.type) {
    case Type::Null:
      return PropertyListObject::null();
    case Type::Boolean:
      return PropertyListObject::boolean(o.bits != 0);
    case Type::Integer:
      return o.isUnsigned ? PropertyListObject::unsignedInteger(o.bits)
                          : PropertyListObject::integer(static_cast<qint64>(o.bits));
    case Type::Real:
      return PropertyListObject::real(o.real());
    case Type::Date:
      return PropertyListObject::date(o.real());
    case Type::Data:
      return PropertyListObject::data(view_.data(o));
    case Type::AsciiString:
    case Type::Utf16String: {
      auto s = view_.string(o);
      if (!s) return Failure{s.error()};
      return PropertyListObject::string(s.take());
    }
    case Type::Uid:
      return PropertyListObject::uid(static_cast<quint32>(o.bits));
    case Type::Array:
    case Type::Set: {
      auto items = references(o, 0, depth);
      if (!items) return Failure{items.error()};
      return o.type == Type::Array ? PropertyListObject::array(items.take())
                                   : PropertyListObject::set(items.take());
    }
    case Type::Dictionary:
      break;
  }
  auto keys = references(o, 0, depth);
  if (!keys) return Failure{keys.error()};
  std::vector<QString> names;
  names.reserve(keys.value().size());
  for (const auto& key : keys.value()) {
    if (key->kind() != PropertyListObject::Kind::String)
      return view_.fail(index, o.offset, QStringLiteral("dictionary key is not a string"));
    names.push_back(key->stringValue());
  }
  auto values = references(o, o.count, depth);
  if (!values) return Failure{values.error()};
  return PropertyListObject::dictionary(std::move(names), values.take());
}
