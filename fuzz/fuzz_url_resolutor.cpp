#include <QString>
#include <QUrl>
#include <cstddef>
#include <cstdint>

#include "Common/ZVNetValidator.h"
#include "Common/ZVUrlResolutor.h"

// A record's address field holds whatever was typed or imported.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  static ZVUrlResolutor resolutor;
  // With a password, so that ftp addresses take the user name.
  (void)resolutor.resolvedUrl(text, QStringLiteral("user name"), QStringLiteral("pass word"));
  (void)ZVNetValidator::isValidDomain(text);
  (void)ZVNetValidator::isNumericDomain(text);
  (void)ZVNetValidator::isValidEmailAlsoMultiple(text);
  return 0;
}
