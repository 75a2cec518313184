#pragma once

#include <QString>

// The width of a text as drawn with given attributes (font, paragraph style); the drawing
// layer supplies the real one, tests a fake.
class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  virtual double widthOf(const QString& text) const = 0;
};
