#include "platform/QtColor.h"

QColor QtColor::toQColor(const Color& color) {
  const Rgba rgba = color.usingCalibratedRGB().value_or(Rgba{0, 0, 0, 1});
  return QColor::fromRgbF(rgba.r, rgba.g, rgba.b, rgba.a);
}

Color QtColor::fromQColor(const QColor& color) {
  const QColor rgb = color.toRgb();
  return Color::calibratedRGB(rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF());
}
