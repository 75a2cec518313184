#pragma once

#include <QString>

// A menu item or button as the validation hooks see it: the action it sends, and its tag.
struct UserInterfaceItem {
  QString action;  // e.g. "saveDocument:"
  int tag = 0;
};
