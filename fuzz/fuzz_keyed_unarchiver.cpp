#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  auto value = KeyedUnarchiver::unarchiveObjectWithData(bytes);
  if (!value || value.value().isAbsent()) return 0;
  // A value we could read must archive, and archiving what that reads back gives the same
  // bytes (bytes, not values: NaN is unequal to itself).
  auto archive = KeyedArchiver::archivedDataWithRootObject(value.value());
  if (!archive) __builtin_trap();
  auto again = KeyedUnarchiver::unarchiveObjectWithData(archive.value());
  if (!again) __builtin_trap();
  auto second = KeyedArchiver::archivedDataWithRootObject(again.value());
  if (!second || second.value() != archive.value()) __builtin_trap();
  return 0;
}
