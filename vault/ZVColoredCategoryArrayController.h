#pragma once

#include <functional>
#include <optional>

#include "platform/Color.h"
#include "vault/ZVCategoryArrayController.h"

// The document's categories: builds full category dictionaries, gives out identifiers,
// looks categories up by title and identifier.
class ZVColoredCategoryArrayController : public ZVCategoryArrayController {
  Q_OBJECT

 public:
  // Reads a colour object that an old release stored in place of a colour dictionary.
  using ColorObjectReader = std::function<std::optional<Color>(const Value&)>;

  explicit ZVColoredCategoryArrayController(QObject* parent = nullptr)
      : ZVCategoryArrayController(parent) {}
  // Records and their categories hold each other; the controller lives as long as its
  // document, so it breaks those cycles when it goes, freeing the records and their secrets.
  ~ZVColoredCategoryArrayController() override;

  DictRef newObject() override;
  DictRef addDefault();
  DictRef addWithName(const QString& title);
  DictRef categoryWithTitle(const QString& title) const;
  bool testForNewUniqueID(qint64 identifier) const;
  qint64 newUniqueID() const;
  DictRef getCategoryWithUniqueID(qint64 identifier) const;
  bool incrementObj(const DictRef& category, qint64 delta);
  bool incrementObjUsingThisInCategoryWithUniqueID(qint64 identifier, qint64 delta);
  void adjustFromOldRelease(const ArrayRef& categories, const ColorObjectReader& readColor) const;
  void adjustFromAncientRelease(const ArrayRef& categories);

  // Removing a category leaves its records pointing at it; remember it, so that its
  // identifier is not given to a new category while those records still carry it (they
  // would silently join the new category at the next opening).
  void remove() override;

  static qint64 uniqueIDOf(const Dictionary& category);
  static DictRef defaultBackColor();
  static DictRef defaultTextColor();

 private:
  bool identifierHeldByRemovedCategory(qint64 identifier) const;

  std::vector<std::weak_ptr<Dictionary>> removedWithRecords_;
};
