#include "platform/UserDefaultsController.h"

#include "platform/UserDefaults.h"

void UserDefaultsController::revertToInitialValues(const QStringList& keys) {
  for (const QString& key : keys) {
    const Value& initial = initial_->value(key);
    if (initial.isAbsent()) continue;
    if (defaults_.registeredDefaults()->value(key) == initial)
      defaults_.removeObjectForKey(key);
    else
      defaults_.setObject(key, initial);
  }
}
