#include "platform/Color.h"

#include <algorithm>

Color Color::calibratedRGB(float r, float g, float b, float a) {
  return {Space::CalibratedRGB, {r, g, b, a, 0}};
}
Color Color::deviceRGB(float r, float g, float b, float a) {
  return {Space::DeviceRGB, {r, g, b, a, 0}};
}
Color Color::calibratedWhite(float white, float alpha) {
  return {Space::CalibratedWhite, {white, alpha, 0, 0, 0}};
}
Color Color::deviceWhite(float white, float alpha) {
  return {Space::DeviceWhite, {white, alpha, 0, 0, 0}};
}
Color Color::deviceCMYK(float c, float m, float y, float k, float alpha) {
  return {Space::DeviceCMYK, {c, m, y, k, alpha}};
}
Color Color::pattern() { return {Space::Pattern, {}}; }

std::optional<Rgba> Color::usingCalibratedRGB() const {
  const auto& c = components_;
  switch (space_) {
    case Space::CalibratedRGB:
    case Space::DeviceRGB:
      return Rgba{c[0], c[1], c[2], c[3]};
    case Space::CalibratedWhite:
    case Space::DeviceWhite:
      return Rgba{c[0], c[0], c[0], c[1]};
    case Space::DeviceCMYK: {
      const float k = c[3];
      return Rgba{std::max(0.0f, 1.0f - k - c[0]), std::max(0.0f, 1.0f - k - c[1]),
                  std::max(0.0f, 1.0f - k - c[2]), c[4]};
    }
    case Space::Pattern:
      return std::nullopt;
  }
  return std::nullopt;
}
