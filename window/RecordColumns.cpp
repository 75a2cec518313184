#include "window/RecordColumns.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_set>

#include "platform/Dictionary.h"

namespace RecordColumns {

namespace {
struct Column {
  const char* identifier;
  const char* title;
  const char* keyPath;
  const char* switchAction;
  bool text;
};

constexpr Column kColumns[] = {
    {"category", "Category", "categoryPtr.cat_category", "switchColumnVisibilityCategory:", true},
    {"name", "Name", "name", "", true},
    {"url", "Url", "url", "switchColumnVisibilityUrl:", true},
    {"account", "Account", "account", "switchColumnVisibilityAccount:", true},
    {"userID", "User ID", "userID", "switchColumnVisibilityUserID:", true},
    {"password", "Password", "password", "switchColumnVisibilityPassword:", true},
    {"pin", "Pin", "pin", "switchColumnVisibilityPin:", true},
    {"security", "Security", "security", "switchColumnVisibilitySecurity:", true},
    {"email", "Email", "email", "switchColumnVisibilityEmail:", true},
    {"createdDate", "Created", "creationDate", "switchColumnVisibilityCreatedDate:", false},
    {"modificationDate", "Modified", "modificationDate",
     "switchColumnVisibilityModifiedDate:", false},
    {"usageCount", "Used", "usageCount", "switchColumnVisibilityUsageCount:", false},
};

const Column* find(const QString& identifier) {
  for (const Column& c : kColumns)
    if (identifier == QLatin1String(c.identifier)) return &c;
  return nullptr;
}

// The columns each preset shows; every other switchable column is hidden.
QStringList shownBy(Preset preset) {
  switch (preset) {
    case Preset::Compact:
      return {QStringLiteral("category")};
    case Preset::CompactPlusCMA:
      return {QStringLiteral("category"), QStringLiteral("createdDate"),
              QStringLiteral("modificationDate"), QStringLiteral("usageCount")};
    case Preset::AllMinusCMA:
      return {QStringLiteral("category"), QStringLiteral("url"),      QStringLiteral("account"),
              QStringLiteral("userID"),   QStringLiteral("password"), QStringLiteral("pin"),
              QStringLiteral("security"), QStringLiteral("email")};
    case Preset::All:
      break;
  }
  QStringList all = identifiers();
  all.removeAll(QStringLiteral("name"));
  return all;
}

ColumnState* columnNamed(ColumnLayout& layout, const QString& identifier) {
  for (ColumnState& c : layout)
    if (c.identifier == identifier) return &c;
  return nullptr;
}

// Entries of a snapshot that name a column of the layout, each column once.
template <typename Apply>
void forEachEntry(ColumnLayout& layout, const ArrayRef& snapshot, Apply apply) {
  if (!snapshot) return;
  std::unordered_set<const ColumnState*> seen;
  for (const Value& v : snapshot->values()) {
    const DictRef entry = v.toDictionary();
    if (!entry) continue;
    const QString* name = entry->value(u"name").stringPointer();
    if (!name || !isKnown(*name)) continue;
    ColumnState* column = columnNamed(layout, *name);
    if (!column || !seen.insert(column).second) continue;
    apply(*column, *entry);
  }
}
}  // namespace

Comparison comparisonFor(qint64 tableSortCompare) {
  if (tableSortCompare == 0) return Comparison::Plain;
  if (tableSortCompare == 1) return Comparison::Localized;
  return Comparison::LocalizedCaseInsensitive;
}

const QStringList& identifiers() {
  static const QStringList all = [] {
    QStringList out;
    for (const Column& c : kColumns) out << QString::fromLatin1(c.identifier);
    return out;
  }();
  return all;
}

bool isKnown(const QString& identifier) { return find(identifier) != nullptr; }

QString title(const QString& identifier) {
  const Column* c = find(identifier);
  return c ? QString::fromLatin1(c->title) : identifier;
}

QString keyPath(const QString& identifier) {
  const Column* c = find(identifier);
  return c ? QString::fromLatin1(c->keyPath) : identifier;
}

QString switchAction(const QString& identifier) {
  const Column* c = find(identifier);
  return c ? QString::fromLatin1(c->switchAction) : QString();
}

QString identifierForSwitch(const QString& action) {
  if (action.isEmpty()) return {};
  for (const Column& c : kColumns)
    if (action == QLatin1String(c.switchAction)) return QString::fromLatin1(c.identifier);
  return {};
}

double minimumWidth(const QString& identifier) { return identifier == u"category" ? 50 : 30; }

std::optional<ArrayController::SortDescriptor> sortDescriptor(const QString& identifier,
                                                              bool ascending,
                                                              Comparison comparison) {
  if (identifier.isEmpty()) return std::nullopt;
  ArrayController::SortDescriptor d;
  d.keyPath = keyPath(identifier);
  d.ascending = ascending;
  const Column* c = find(identifier);
  if (c && c->text) {
    if (comparison == Comparison::Plain) {
      // Character values, case first: "Z" before "a". Missing values before every string.
      d.compare = [](const Value& a, const Value& b) {
        const QString* x = a.stringPointer();
        const QString* y = b.stringPointer();
        if (x && y) return x->compare(*y);
        return int(x != nullptr) - int(y != nullptr);
      };
    } else {
      d.collator =
          std::make_shared<const Collation>(QLocale(), comparison == Comparison::Localized);
    }
  }
  return d;
}

std::optional<Preset> presetForAction(const QString& action) {
  if (action == u"setColumnVisibilityCompact:") return Preset::Compact;
  if (action == u"setColumnVisibilityCompactPlusCMA:") return Preset::CompactPlusCMA;
  if (action == u"setColumnVisibilityAllMinusCMA:") return Preset::AllMinusCMA;
  if (action == u"setColumnVisibilityAll:") return Preset::All;
  return std::nullopt;
}

void applyPreset(ColumnLayout& layout, Preset preset) {
  const QStringList shown = shownBy(preset);
  for (ColumnState& c : layout)
    if (c.identifier != u"name" && isKnown(c.identifier)) c.hidden = !shown.contains(c.identifier);
}

ArrayRef visibilitySnapshot(const ColumnLayout& layout) {
  auto out = Array::create();
  for (const ColumnState& c : layout) {
    auto entry = Dictionary::create();
    entry->setValue(QStringLiteral("name"), c.identifier);
    entry->setValue(QStringLiteral("hidden"), Value::boolean(c.hidden));
    out->append(entry);
  }
  return out;
}

ArrayRef sizeSnapshot(const ColumnLayout& layout) {
  auto out = Array::create();
  for (const ColumnState& c : layout) {
    auto entry = Dictionary::create();
    entry->setValue(QStringLiteral("name"), c.identifier);
    entry->setValue(QStringLiteral("size"), Value::real(double(float(c.width))));
    out->append(entry);
  }
  return out;
}

void applyVisibility(ColumnLayout& layout, const ArrayRef& snapshot) {
  forEachEntry(layout, snapshot, [](ColumnState& column, const Dictionary& entry) {
    const Value& hidden = entry.value(u"hidden");
    if (!hidden.isNumber()) return;
    column.hidden = column.identifier != u"name" && hidden.toBool();
  });
}

void applySizes(ColumnLayout& layout, const ArrayRef& snapshot) {
  forEachEntry(layout, snapshot, [](ColumnState& column, const Dictionary& entry) {
    const Value& size = entry.value(u"size");
    if (!size.isNumber()) return;
    const double width = double(size.toFloat());
    if (!std::isfinite(width)) return;
    column.width = std::clamp(width, minimumWidth(column.identifier), kMaximumWidth);
  });
}

}  // namespace RecordColumns
