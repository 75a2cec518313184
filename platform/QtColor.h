#pragma once

#include <QColor>

#include "platform/Color.h"

// Conversions for drawing and colour dialogs only; the model keeps Color.
class QtColor {
 public:
  static QColor toQColor(const Color& color);
  static Color fromQColor(const QColor& color);
};
