#include "platform/PropertyListObject.h"

#include <cstring>

PropertyListRef PropertyListObject::null() {
  return std::make_shared<PropertyListObject>(Private{}, Kind::Null);
}

PropertyListRef PropertyListObject::boolean(bool value) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Boolean);
  o->integer_ = value ? 1 : 0;
  return o;
}

PropertyListRef PropertyListObject::integer(qint64 value) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Integer);
  o->integer_ = value;
  return o;
}

PropertyListRef PropertyListObject::unsignedInteger(quint64 value) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Integer);
  o->integer_ = static_cast<qint64>(value);
  o->unsigned_ = value > static_cast<quint64>(INT64_MAX);
  return o;
}

PropertyListRef PropertyListObject::real(double value) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Real);
  o->real_ = value;
  return o;
}

PropertyListRef PropertyListObject::date(double secondsSinceReferenceDate) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Date);
  o->real_ = secondsSinceReferenceDate;
  return o;
}

PropertyListRef PropertyListObject::data(QByteArray bytes) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Data);
  o->data_ = std::move(bytes);
  return o;
}

PropertyListRef PropertyListObject::string(QString string) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::String);
  o->string_ = std::move(string);
  return o;
}

PropertyListRef PropertyListObject::uid(quint32 value) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Uid);
  o->integer_ = value;
  return o;
}

PropertyListRef PropertyListObject::array(std::vector<PropertyListRef> items) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Array);
  o->items_ = std::move(items);
  return o;
}

PropertyListRef PropertyListObject::set(std::vector<PropertyListRef> items) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Set);
  o->items_ = std::move(items);
  return o;
}

PropertyListRef PropertyListObject::dictionary(std::vector<QString> keys,
                                               std::vector<PropertyListRef> values) {
  auto o = std::make_shared<PropertyListObject>(Private{}, Kind::Dictionary);
  o->keys_ = std::move(keys);
  o->items_ = std::move(values);
  o->items_.resize(o->keys_.size());
  return o;
}

const PropertyListObject* PropertyListObject::valueForKey(QStringView key) const {
  for (std::size_t i = 0; i < keys_.size(); ++i)
    if (keys_[i] == key) return items_[i].get();
  return nullptr;
}

namespace {
bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }
}  // namespace

bool operator==(const PropertyListObject& a, const PropertyListObject& b) {
  if (&a == &b) return true;
  if (a.kind_ != b.kind_) return false;
  switch (a.kind_) {
    case PropertyListObject::Kind::Null:
      return true;
    case PropertyListObject::Kind::Boolean:
    case PropertyListObject::Kind::Uid:
      return a.integer_ == b.integer_;
    case PropertyListObject::Kind::Integer:
      return a.integer_ == b.integer_ && a.unsigned_ == b.unsigned_;
    case PropertyListObject::Kind::Real:
    case PropertyListObject::Kind::Date:
      return sameBits(a.real_, b.real_);
    case PropertyListObject::Kind::Data:
      return a.data_ == b.data_;
    case PropertyListObject::Kind::String:
      return a.string_ == b.string_;
    case PropertyListObject::Kind::Array:
    case PropertyListObject::Kind::Set:
    case PropertyListObject::Kind::Dictionary:
      break;
  }
  if (a.keys_ != b.keys_ || a.items_.size() != b.items_.size()) return false;
  for (std::size_t i = 0; i < a.items_.size(); ++i)
    if (!(*a.items_[i] == *b.items_[i])) return false;
  return true;
}
