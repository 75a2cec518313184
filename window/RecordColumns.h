#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/Array.h"
#include "platform/ArrayController.h"

// The record table's twelve columns: their identifiers, the record value each one sorts on,
// the comparison the user chose for text, the visibility presets, and the snapshots of
// visibility and width that travel inside the document. No widgets: the window keeps its
// header in step with a ColumnLayout.
namespace RecordColumns {

// The user default tableSortCompare: 0 plain, 1 localised, anything else localised ignoring case.
enum class Comparison { Plain, Localized, LocalizedCaseInsensitive };
Comparison comparisonFor(qint64 tableSortCompare);

// The twelve identifiers in the table's initial order.
const QStringList& identifiers();
bool isKnown(const QString& identifier);
// The column title the user sees.
QString title(const QString& identifier);
// The key path into a record that the column shows and sorts on.
QString keyPath(const QString& identifier);
// The visibility switch command of a column ("switchColumnVisibilityUrl:"); empty for name.
QString switchAction(const QString& identifier);
// The column a switch command names; empty when the action is no switch.
QString identifierForSwitch(const QString& action);
double minimumWidth(const QString& identifier);
constexpr double kMaximumWidth = 10000;

// The one sort descriptor of a column: text columns by the chosen comparison, dates and the
// usage count by plain comparison; an unknown identifier sorts on the key of that name.
// None for an empty identifier.
std::optional<ArrayController::SortDescriptor> sortDescriptor(const QString& identifier,
                                                              bool ascending,
                                                              Comparison comparison);

struct ColumnState {
  QString identifier;
  bool hidden = false;
  double width = 100;
};
// The columns in display order.
using ColumnLayout = std::vector<ColumnState>;

enum class Preset { Compact, CompactPlusCMA, AllMinusCMA, All };
// The preset a command names ("setColumnVisibilityCompact:"), if it is one.
std::optional<Preset> presetForAction(const QString& action);
// Hides and shows the eleven switchable columns; name is left alone.
void applyPreset(ColumnLayout& layout, Preset preset);

// Snapshots: one entry per column in display order, hidden columns included.
ArrayRef visibilitySnapshot(const ColumnLayout& layout);
ArrayRef sizeSnapshot(const ColumnLayout& layout);
// Applies a snapshot read from a file, so untrusted: entries naming no column, or naming
// one twice after the first, are skipped; name is never hidden; widths that are not finite
// numbers are skipped, the rest clamped to [the column's minimum, kMaximumWidth]. The list's
// order moves no column, and columns no entry names keep their state.
void applyVisibility(ColumnLayout& layout, const ArrayRef& snapshot);
void applySizes(ColumnLayout& layout, const ArrayRef& snapshot);

}  // namespace RecordColumns
