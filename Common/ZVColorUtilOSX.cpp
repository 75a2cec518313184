#include "Common/ZVColorUtilOSX.h"

namespace {
float component(const Dictionary* dict, QStringView key) {
  if (!dict) return 0.0f;
  const Value& v = dict->value(key);
  return v.isNumber() ? v.toFloat() : 0.0f;
}
}  // namespace

Color ZVColorUtilOSX::NSColorFromDict(const Dictionary* dict) {
  const float r = component(dict, u"r");
  const float g = component(dict, u"g");
  const float b = component(dict, u"b");
  const float a = component(dict, u"a");
  return Color::calibratedRGB(r, g, b, a);
}

DictRef ZVColorUtilOSX::dictFromNSColor(const Color& color) {
  const Rgba rgba = color.usingCalibratedRGB().value_or(Rgba{0.0f, 0.0f, 0.0f, 1.0f});
  auto dict = Dictionary::create();
  dict->setValue(QStringLiteral("r"), Value::real(rgba.r));
  dict->setValue(QStringLiteral("g"), Value::real(rgba.g));
  dict->setValue(QStringLiteral("b"), Value::real(rgba.b));
  dict->setValue(QStringLiteral("a"), Value::real(rgba.a));
  return dict;
}
