#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "Common/ZVUnarchivieFromDataToText.h"
#include "platform/archive/ColorUnarchiver.h"
#include "platform/archive/TypedStreamReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  auto stream = TypedStreamReader::read(bytes);
  if (!stream) return 0;
  // Every object may be asked for as a colour or a string: answers, never crashes.
  const auto count = static_cast<qsizetype>(stream.value().entries.size());
  for (qsizetype i = 0; i < count && i < 64; ++i) {
    (void)ColorUnarchiver::colorAt(stream.value(), i);
    (void)ColorUnarchiver::stringAt(stream.value(), i);
  }
  (void)ColorUnarchiver::unarchiveObjectWithData(bytes);
  (void)ZVUnarchivieFromDataToText::plainText(bytes);
  return 0;
}
