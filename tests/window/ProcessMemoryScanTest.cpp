#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "platform/crypto/SecureMemory.h"
#include "tests/window/ProcessMemoryScan.h"

namespace {

constexpr auto kPlanted = MaskedText::mask("Planted-Needle:q8Vw2");

bool within(std::uintptr_t address, const void* block, std::size_t size) {
  const auto begin = reinterpret_cast<std::uintptr_t>(block);
  return address >= begin && address < begin + size;
}

// The scan finds a text planted in live heap blocks, small ones and ones far larger than a
// read of the scan, in UTF-16 and in UTF-8, and no longer finds it once those blocks are wiped:
// it reads every place the text can be and keeps no copy of its own.
TEST(ProcessMemoryScan, FindsAPlantedTextUntilItIsWiped) {
  const MaskedText needle(kPlanted);
  for (const qsizetype filler : {qsizetype(0), qsizetype(3000000)}) {
    ASSERT_TRUE(ProcessMemoryScan::find(needle).empty()) << filler;
    // Built a character at a time into blocks that never move: no other copy is made.
    QString utf16(filler, QLatin1Char('-'));
    QByteArray utf8(filler, '-');
    utf16.reserve(filler + qsizetype(needle.size()));
    utf8.reserve(filler + qsizetype(needle.size()));
    for (std::size_t i = 0; i < needle.size(); ++i) {
      utf16.append(needle.at(i));
      utf8.append(char(needle.at(i).unicode()));
    }
    const std::vector<ProcessMemoryScan::Hit> hits = ProcessMemoryScan::find(needle);
    bool inUtf16 = false, inUtf8 = false;
    for (const auto& h : hits) {
      inUtf16 |= within(h.address, utf16.constData(), std::size_t(utf16.size()) * 2);
      inUtf8 |= within(h.address, utf8.constData(), std::size_t(utf8.size()));
    }
    EXPECT_EQ(hits.size(), 2u) << filler;
    EXPECT_TRUE(inUtf16) << filler;
    EXPECT_TRUE(inUtf8) << filler;
    SecureMemory::wipe(utf16);
    SecureMemory::wipe(utf8);
    EXPECT_TRUE(ProcessMemoryScan::find(needle).empty()) << filler;
  }
}

}  // namespace
