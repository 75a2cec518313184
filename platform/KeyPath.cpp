#include "platform/KeyPath.h"

#include "platform/Dictionary.h"

namespace {
// The dictionary that holds the last step of the path, and that last step.
const Dictionary* walkToLastStep(const Dictionary& object, QStringView keyPath,
                                 QStringView* lastKey) {
  const Dictionary* current = &object;
  qsizetype start = 0;
  for (;;) {
    const qsizetype dot = keyPath.indexOf(QLatin1Char('.'), start);
    if (dot < 0) {
      *lastKey = keyPath.mid(start);
      return current;
    }
    current = current->value(keyPath.mid(start, dot - start)).dictionaryPointer();
    if (!current) return nullptr;
    start = dot + 1;
  }
}
}  // namespace

Value KeyPath::valueForKeyPath(const Dictionary& object, QStringView keyPath) {
  QStringView last;
  const Dictionary* holder = walkToLastStep(object, keyPath, &last);
  return holder ? holder->value(last) : Value();
}

Value KeyPath::valueForKeyPath(const DictRef& object, QStringView keyPath) {
  return object ? valueForKeyPath(*object, keyPath) : Value();
}

bool KeyPath::setValueForKeyPath(Dictionary& object, QStringView keyPath, Value value) {
  QStringView last;
  auto* holder = const_cast<Dictionary*>(walkToLastStep(object, keyPath, &last));
  if (!holder) return false;
  holder->setValue(last.toString(), std::move(value));
  return true;
}
