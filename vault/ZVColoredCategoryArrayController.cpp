#include "vault/ZVColoredCategoryArrayController.h"

#include <unordered_set>

#include "Common/ZVColorUtilOSX.h"
#include "vault/CategoryMembers.h"
#include "vault/VaultKeys.h"

ZVColoredCategoryArrayController::~ZVColoredCategoryArrayController() {
  for (const auto& v : content()->values())
    if (Dictionary* category = v.dictionaryPointer())
      if (IdentitySet* members = CategoryMembers::of(*category)) members->clear();
  for (const auto& weak : removedWithRecords_)
    if (const auto category = weak.lock())
      if (IdentitySet* members = CategoryMembers::of(*category)) members->clear();
}

qint64 ZVColoredCategoryArrayController::uniqueIDOf(const Dictionary& category) {
  return category.value(CategoryKeys::uniqueID()).toInteger(0);
}

DictRef ZVColoredCategoryArrayController::defaultBackColor() {
  auto color = Dictionary::create();
  color->setValue(QStringLiteral("r"), Value::real(0.75));
  color->setValue(QStringLiteral("g"), Value::real(0.75));
  color->setValue(QStringLiteral("b"), Value::real(0.75));
  color->setValue(QStringLiteral("a"), Value::integer(1));
  return color;
}

DictRef ZVColoredCategoryArrayController::defaultTextColor() {
  auto color = Dictionary::create();
  for (const char* key : {"r", "g", "b", "a"})
    color->setValue(QString::fromLatin1(key), Value::integer(1));
  return color;
}

DictRef ZVColoredCategoryArrayController::newObject() {
  auto category = Dictionary::create();
  category->setValue(CategoryKeys::category(),
                     unusedCategoryNameWithPostfix(QStringLiteral("Generic")));
  category->setValue(CategoryKeys::backColor(), defaultBackColor());
  category->setValue(CategoryKeys::textColor(), defaultTextColor());
  category->setValue(CategoryKeys::howManyUsingThis(), Value::integer(0));
  category->setValue(CategoryKeys::uniqueID(), Value::integer(newUniqueID()));
  CategoryMembers::ensure(*category);
  return category;
}

DictRef ZVColoredCategoryArrayController::addDefault() {
  auto category = newObject();
  addObject(category);
  return category;
}

DictRef ZVColoredCategoryArrayController::addWithName(const QString& title) {
  auto category = newObject();
  category->setValue(CategoryKeys::category(), title);
  addObject(category);
  return category;
}

DictRef ZVColoredCategoryArrayController::categoryWithTitle(const QString& title) const {
  for (const auto& v : content()->values()) {
    const Dictionary* category = v.dictionaryPointer();
    if (!category) continue;
    const QString* t = category->value(CategoryKeys::category()).stringPointer();
    if (t && *t == title) return v.toDictionary();
  }
  return {};
}

bool ZVColoredCategoryArrayController::testForNewUniqueID(qint64 identifier) const {
  for (const auto& v : content()->values())
    if (const Dictionary* category = v.dictionaryPointer())
      if (uniqueIDOf(*category) == identifier) return false;
  return true;
}

bool ZVColoredCategoryArrayController::identifierHeldByRemovedCategory(qint64 identifier) const {
  for (const auto& weak : removedWithRecords_) {
    const auto category = weak.lock();
    if (!category || uniqueIDOf(*category) != identifier) continue;
    bool stillReferenced = false;
    if (const IdentitySet* members = CategoryMembers::of(*category))
      members->forEach([&](const DictRef& record) {
        if (record->value(RecordKeys::categoryPtr()).dictionaryPointer() == category.get())
          stillReferenced = true;
      });
    if (stillReferenced) return true;
  }
  return false;
}

qint64 ZVColoredCategoryArrayController::newUniqueID() const {
  // One pass over the content instead of one per candidate.
  std::unordered_set<qint64> used;
  for (const auto& v : content()->values())
    if (const Dictionary* category = v.dictionaryPointer()) used.insert(uniqueIDOf(*category));
  for (qint64 n = 1;; ++n)
    if (!used.count(n) && !identifierHeldByRemovedCategory(n)) return n;
}

DictRef ZVColoredCategoryArrayController::getCategoryWithUniqueID(qint64 identifier) const {
  for (const auto& v : content()->values())
    if (const Dictionary* category = v.dictionaryPointer())
      if (uniqueIDOf(*category) == identifier) return v.toDictionary();
  return {};
}

bool ZVColoredCategoryArrayController::incrementObj(const DictRef& category, qint64 delta) {
  if (!category || !arrangedObjectsContain(category.get())) return false;
  const qint64 count = category->value(CategoryKeys::howManyUsingThis()).toInteger();
  category->setValue(CategoryKeys::howManyUsingThis(), Value::integer(count + delta));
  return true;
}

bool ZVColoredCategoryArrayController::incrementObjUsingThisInCategoryWithUniqueID(
    qint64 identifier, qint64 delta) {
  if (identifier == 0) return false;
  const DictRef category = getCategoryWithUniqueID(identifier);
  if (!category) return false;
  const qint64 count = category->value(CategoryKeys::howManyUsingThis()).toInteger();
  category->setValue(CategoryKeys::howManyUsingThis(), Value::integer(count + delta));
  return true;
}

void ZVColoredCategoryArrayController::adjustFromOldRelease(
    const ArrayRef& categories, const ColorObjectReader& readColor) const {
  if (!categories) return;
  for (const auto& v : categories->values()) {
    Dictionary* category = v.dictionaryPointer();
    if (!category) continue;
    for (const QString& key : {CategoryKeys::backColor(), CategoryKeys::textColor()}) {
      const Value& stored = category->value(key);
      if (stored.isDictionary()) continue;  // already a colour dictionary
      const std::optional<Color> color = readColor ? readColor(stored) : std::nullopt;
      category->setValue(key, ZVColorUtilOSX::dictFromNSColor(color.value_or(Color::pattern())));
    }
  }
}

void ZVColoredCategoryArrayController::adjustFromAncientRelease(const ArrayRef& categories) {
  if (!categories) return;
  if (categories->isEmpty()) categories->append(newObject());
  qint64 number = 0;
  for (const auto& v : categories->values()) {
    Dictionary* category = v.dictionaryPointer();
    if (!category) continue;
    ++number;
    if (!category->contains(CategoryKeys::backColor()))
      category->setValue(CategoryKeys::backColor(), defaultBackColor());
    if (!category->contains(CategoryKeys::textColor()))
      category->setValue(CategoryKeys::textColor(), defaultTextColor());
    category->setValue(CategoryKeys::uniqueID(), Value::integer(number));
    if (!category->contains(CategoryKeys::howManyUsingThis()))
      category->setValue(CategoryKeys::howManyUsingThis(), Value::integer(0));
  }
}

void ZVColoredCategoryArrayController::remove() {
  for (const auto& category : selectedObjects())
    if (const IdentitySet* members = CategoryMembers::of(*category); members && !members->isEmpty())
      removedWithRecords_.push_back(category);
  std::erase_if(removedWithRecords_, [](const auto& weak) { return weak.expired(); });
  ZVCategoryArrayController::remove();
}
