#include "Common/ZVHeightForFontSize.h"

#include <cmath>

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVHeightForFontSize::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  if (v.isAbsent()) return {};
  const float height = floatOf(v) * 1.4f + 2.0f;
  if (!std::isfinite(height) || std::fabs(height) > 1.0e9f) return {};
  return number(static_cast<qint64>(std::trunc(height)));
}

QMetaType ZVHeightForFontSize::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
