#include "transfer/ImportFile.h"

#include "platform/crypto/SecureMemory.h"
#include "transfer/DelimitedTextParser.h"
#include "transfer/ZVSmartStringFileReader.h"

Result<ImportFile, ImportError> ImportFile::read(const QString& path, qint32 format,
                                                 qint32 encoding) {
  auto read = ZVSmartStringFileReader::autoReadFromFile(path, encoding);
  if (!read) return read.failure();
  ZVSmartStringFileReader::Text text = read.take();
  ZVSmartStringFileReader::replaceStringWithNewline(text.string);
  const qint32 used = format == DelimitedTextParser::Automatic
                          ? DelimitedTextParser::detectSeparator(text.string)
                          : format;
  auto parsed = DelimitedTextParser::parse(text.string, used);
  SecureMemory::wipe(text.string);
  if (!parsed) return parsed.failure();
  ImportFile file;
  file.path = path;
  file.format = format;
  file.encoding = encoding;
  file.usedFormat = used;
  file.usedEncoding = text.encoding;
  file.rows = parsed.take();
  return file;
}
