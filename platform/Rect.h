#pragma once

// A rectangle in points, origin at the lower left as the stored window and pane frames have it.
struct Rect {
  double x = 0.0;
  double y = 0.0;
  double width = 0.0;
  double height = 0.0;

  bool isZero() const { return x == 0.0 && y == 0.0 && width == 0.0 && height == 0.0; }
  friend bool operator==(const Rect&, const Rect&) = default;
};
