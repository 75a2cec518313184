#pragma once

#include "platform/Color.h"
#include "platform/Dictionary.h"

// Conversion between colour dictionaries ({r, g, b, a} numbers, calibrated RGB) and colours.
class ZVColorUtilOSX {
 public:
  // Components read in single precision; a missing or non-number component reads as 0, so
  // no dictionary at all gives transparent black.
  static Color NSColorFromDict(const Dictionary* dict);
  static Color NSColorFromDict(const DictRef& dict) { return NSColorFromDict(dict.get()); }
  static Color NSColorFromDict(const Value& dict) {
    return NSColorFromDict(dict.dictionaryPointer());
  }

  // A new mutable dictionary of four doubles. A colour without an RGB equivalent (a pattern)
  // becomes opaque black, so the dictionary always holds all four keys.
  static DictRef dictFromNSColor(const Color& color);
};
