#include "platform/archive/PropertyListObject.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <unordered_set>
#include <utility>

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
bool sameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

struct PairHash {
  std::size_t operator()(const std::pair<const void*, const void*>& p) const {
    const std::size_t a = std::hash<const void*>()(p.first);
    return a ^ (std::hash<const void*>()(p.second) + 0x9e3779b97f4a7c15ull + (a << 6) + (a >> 2));
  }
};
}  // namespace

struct PropertyListObject::Comparison {
  // Pairs of containers and strings found equal: reached again through another path, they
  // need no second look.
  std::unordered_set<std::pair<const void*, const void*>, PairHash> equal;

  bool same(const PropertyListObject& a, const PropertyListObject& b) {
    if (&a == &b) return true;
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
      case Kind::Null:
        return true;
      case Kind::Boolean:
      case Kind::Uid:
        return a.integer_ == b.integer_;
      case Kind::Integer:
        return a.integer_ == b.integer_ && a.unsigned_ == b.unsigned_;
      case Kind::Real:
      case Kind::Date:
        return sameBits(a.real_, b.real_);
      case Kind::Data:
      case Kind::String:
      case Kind::Array:
      case Kind::Set:
      case Kind::Dictionary:
        break;
    }
    const std::pair<const void*, const void*> pair{&a, &b};
    if (equal.count(pair)) return true;
    bool same = a.data_ == b.data_ && a.string_ == b.string_ && a.keys_ == b.keys_ &&
                a.items_.size() == b.items_.size();
    for (std::size_t i = 0; same && i < a.items_.size(); ++i)
      same = this->same(*a.items_[i], *b.items_[i]);
    if (same) equal.insert(pair);
    return same;
  }
};

bool operator==(const PropertyListObject& a, const PropertyListObject& b) {
  return PropertyListObject::Comparison().same(a, b);
}
