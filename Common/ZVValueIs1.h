#pragma once

#include "Common/ZVValueIsEqualToRef.h"

// ZVValueIsEqualToRef with 1, for bindings that name a class instead of a registered instance.
class ZVValueIs1 : public ZVValueIsEqualToRef {
 public:
  ZVValueIs1() : ZVValueIsEqualToRef(1) {}
};
