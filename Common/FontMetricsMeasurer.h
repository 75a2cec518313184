#pragma once

#include <QFont>
#include <QFontMetricsF>

#include "Common/TextMeasurer.h"

// Measures with Qt's font metrics for one font.
class FontMetricsMeasurer : public TextMeasurer {
 public:
  explicit FontMetricsMeasurer(const QFont& font);
  double widthOf(const QString& text) const override;

 private:
  QFontMetricsF metrics_;
};
