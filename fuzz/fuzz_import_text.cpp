// Import files: whatever the bytes and the user's encoding and separator choices, reading
// and splitting answer with text and rows or a reason, and the rows stay within the mapping.
#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "transfer/DelimitedTextParser.h"
#include "transfer/ZVSmartStringFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte is the choice: the encoding from its low digit, the separator (4: an
  // unknown one) from the next; the rest is the file.
  static const qint32 kCodes[] = {0, 1, 10, 11, 12, 20, 21, 22, 30, 50};
  const qint32 code = kCodes[data[0] % 10];
  const qint32 format = (data[0] / 10) % 5;
  const QByteArrayView bytes(data + 1, qsizetype(size - 1));

  auto read = ZVSmartStringFileReader::autoReadFromData(bytes, code);
  if (!read) return 0;
  QString text = read.take().string;
  ZVSmartStringFileReader::replaceStringWithNewline(text);
  if (text.contains(u'\r')) std::abort();

  auto parsed = DelimitedTextParser::parse(text, format);
  if (!parsed) return 0;
  const ImportTable& table = parsed.value();
  if (table.mappingWidth() > DelimitedTextParser::kMaxColumns) std::abort();
  qsizetype characters = 0;
  for (qsizetype r = 0; r < table.rowCount(); ++r) {
    if (table.fieldCount(r) == 0 || table.fieldCount(r) > table.mappingWidth()) std::abort();
    for (qsizetype c = 0; c < table.fieldCount(r); ++c) characters += table.field(r, c).size();
  }
  // Fields hold no more than the text they come from.
  if (characters > text.size()) std::abort();
  (void)DelimitedTextParser::componentsOfCsvRow(QStringView(text).left(4096), u',');
  return 0;
}
