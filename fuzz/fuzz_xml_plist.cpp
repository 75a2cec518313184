#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "platform/archive/BinaryPropertyListReader.h"
#include "platform/archive/BinaryPropertyListWriter.h"
#include "platform/archive/XmlPropertyListReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  auto plist = XmlPropertyListReader::read(bytes);
  if (!plist) return 0;
  // Whatever reads as XML must keep its content in the binary form.
  auto again = BinaryPropertyListReader::read(BinaryPropertyListWriter::write(*plist.value()));
  if (!again || !(*again.value() == *plist.value())) __builtin_trap();
  return 0;
}
