#pragma once

#include <QStringView>

#include "platform/Value.h"

// Dotted key paths ("categoryPtr.cat_category"): each step but the last must name a dictionary.
class KeyPath {
 public:
  static Value valueForKeyPath(const Dictionary& object, QStringView keyPath);
  static Value valueForKeyPath(const DictRef& object, QStringView keyPath);
  // Sets the value at the end of the path; answers NO when a step names no dictionary.
  static bool setValueForKeyPath(Dictionary& object, QStringView keyPath, Value value);
};
