#pragma once

#include <QMetaType>
#include <QString>
#include <array>
#include <optional>

// Red, green, blue and alpha in the calibrated (generic) RGB space, single precision: the
// model keeps exact floats of its own (QColor would round them to 16-bit channels).
struct Rgba {
  float r = 0.0f;
  float g = 0.0f;
  float b = 0.0f;
  float a = 0.0f;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

// A colour in one of the colour spaces that stored documents use.
class Color {
 public:
  enum class Space {
    CalibratedRGB,
    DeviceRGB,
    CalibratedWhite,
    DeviceWhite,
    DeviceCMYK,
    Pattern,  // no RGB equivalent
  };

  Color() = default;  // transparent black, calibrated RGB
  static Color calibratedRGB(float r, float g, float b, float a);
  static Color deviceRGB(float r, float g, float b, float a);
  static Color calibratedWhite(float white, float alpha);
  static Color deviceWhite(float white, float alpha);
  static Color deviceCMYK(float c, float m, float y, float k, float alpha);
  static Color pattern();

  Space space() const { return space_; }
  const std::array<float, 5>& components() const { return components_; }

  // The colour converted to calibrated RGB; none for a colour without an RGB equivalent.
  std::optional<Rgba> usingCalibratedRGB() const;

  friend bool operator==(const Color&, const Color&) = default;

 private:
  Color(Space space, std::array<float, 5> components) : space_(space), components_(components) {}

  Space space_ = Space::CalibratedRGB;
  std::array<float, 5> components_{};
};

Q_DECLARE_METATYPE(Color)
