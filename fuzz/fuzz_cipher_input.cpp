// Ciphertext and encoded text from document files: every reader answers, none faults.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/crypto/CipherTextEncoding.h"
#include "vault/ZVCommonCrypto.h"
#include "vault/ZVCrypto.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const unsigned char kVector[8] = {0x5e, 0x0c, 0x93, 0xa7, 0xd4, 0x1b, 0x68, 0xf2};
  static ZVCrypto legacy(kVector, QStringLiteral("fuzz"));
  // The key is derived on the first input only: later ones reuse it.
  static ZVCommonCrypto* const engine = [] {
    auto* e = new ZVCommonCrypto;
    e->setPasswordToDecrypt(QStringLiteral("fuzz"), QByteArray(16, 'i'), QByteArray(8, 's'));
    return e;
  }();
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  std::int32_t code = 0;
  (void)legacy.decryptToString(bytes, &code);
  (void)legacy.decryptToLong(bytes, &code);
  (void)engine->decrypt(bytes, &code);
  std::uint32_t ecb = ZVCommonCrypto::kECBMode;
  (void)engine->doCipher(bytes, ZVCommonCrypto::kDecrypt, &ecb, &code);
  std::int32_t length = 0;
  std::free(base64Decode(bytes.constData(), static_cast<std::int32_t>(size), &length));
  return 0;
}
