#include "Common/FontMetricsMeasurer.h"

FontMetricsMeasurer::FontMetricsMeasurer(const QFont& font) : metrics_(font) {}

double FontMetricsMeasurer::widthOf(const QString& text) const {
  return metrics_.horizontalAdvance(text);
}
