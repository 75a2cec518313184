#include "Common/ZVNameFromBookmark.h"

#include <QFileInfo>

#include "Common/TransformerInput.h"
#include "Common/ZVBookmark.h"

using namespace TransformerInput;

QVariant ZVNameFromBookmark::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  bool stale = false;
  const auto path = ZVBookmark::urlForBookmark(v.isData() ? v.toData() : QByteArray(), stale);
  if (!path) return {};
  const QString shown = QFileInfo(path.value()).fileName();
  return QVariant::fromValue(Value(shown.isEmpty() ? QStringLiteral("FILE NOT FOUND") : shown));
}

QMetaType ZVNameFromBookmark::transformedValueClass() const { return QMetaType::fromType<Value>(); }
