#include "Common/ZVPathFromBookmark.h"

#include "Common/TransformerInput.h"
#include "Common/ZVBookmark.h"

using namespace TransformerInput;

QVariant ZVPathFromBookmark::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  bool stale = false;
  const auto path = ZVBookmark::urlForBookmark(v.isData() ? v.toData() : QByteArray(), stale);
  if (!path) return {};
  const QString& shown = path.value();
  return QVariant::fromValue(Value(shown.isEmpty() ? QStringLiteral("FILe NOT FOUND") : shown));
}

QMetaType ZVPathFromBookmark::transformedValueClass() const { return QMetaType::fromType<Value>(); }
