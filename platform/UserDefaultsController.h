#pragma once

#include <QStringList>

#include "platform/Dictionary.h"

class UserDefaults;

// The settings as the preferences window edits them: the user's settings plus the initial
// values to which reverting a setting returns.
class UserDefaultsController {
 public:
  explicit UserDefaultsController(UserDefaults& defaults) : defaults_(defaults) {}

  UserDefaults& defaults() const { return defaults_; }
  void setInitialValues(const DictRef& values) {
    initial_ = values ? values : Dictionary::create();
  }
  const DictRef& initialValues() const { return initial_; }

  // Each key that has an initial value goes back to it; the user's own value is dropped when
  // the initial value is what the registered settings answer anyway.
  void revertToInitialValues(const QStringList& keys);

 private:
  UserDefaults& defaults_;
  DictRef initial_ = Dictionary::create();
};
