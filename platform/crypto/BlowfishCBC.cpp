#include "platform/crypto/BlowfishCBC.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <cstring>

#include "platform/crypto/LegacyProvider.h"

namespace {

enum : std::int32_t { kOk = 0, kUpdateFailed = 1, kFinalFailed = 2 };

const EVP_CIPHER* blowfishCipher() {
  if (!LegacyProvider::ensureLoaded()) return nullptr;
  static EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "BF-CBC", nullptr);
  return cipher;
}

// Sets the key length to 16 before the key goes in, so the schedule is built from exactly the
// 16 bytes made here, whatever a given OpenSSL does with a later key-length change.
bool setUp(EVP_CIPHER_CTX* context, bool encrypt, const unsigned char* key, std::int32_t keyLength,
           const unsigned char* vector) {
  const EVP_CIPHER* cipher = blowfishCipher();
  if (cipher == nullptr || vector == nullptr || (key == nullptr && keyLength > 0)) return false;
  unsigned char schedule[kBlowfishKeyLength] = {};
  if (keyLength > 0)
    std::memcpy(schedule, key, keyLength < kBlowfishKeyLength ? keyLength : kBlowfishKeyLength);
  const int enc = encrypt ? 1 : 0;
  const bool ok = EVP_CipherInit_ex(context, cipher, nullptr, nullptr, nullptr, enc) == 1 &&
                  EVP_CIPHER_CTX_set_key_length(context, kBlowfishKeyLength) == 1 &&
                  EVP_CipherInit_ex(context, nullptr, nullptr, schedule, vector, enc) == 1 &&
                  EVP_CIPHER_CTX_set_padding(context, 1) == 1;
  OPENSSL_cleanse(schedule, sizeof schedule);
  return ok;
}

unsigned char* run(bool encrypt, const unsigned char* in, std::int32_t inLength,
                   const unsigned char* key, std::int32_t keyLength, const unsigned char* vector,
                   std::int32_t* outLength, std::int32_t* status) {
  if (outLength != nullptr) *outLength = 0;
  if (status != nullptr) *status = kOk;
  if (inLength < 1) return nullptr;
  if (in == nullptr) {
    if (status != nullptr) *status = kUpdateFailed;
    return nullptr;
  }
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  if (context == nullptr || !setUp(context, encrypt, key, keyLength, vector)) {
    EVP_CIPHER_CTX_free(context);
    if (status != nullptr) *status = kUpdateFailed;
    return nullptr;
  }
  const std::size_t capacity = static_cast<std::size_t>(inLength) + kBlowfishBlockSize;
  auto* out = static_cast<unsigned char*>(std::calloc(capacity, 1));
  int updated = 0;
  int finished = 0;
  std::int32_t code = kOk;
  if (out == nullptr || EVP_CipherUpdate(context, out, &updated, in, inLength) != 1) {
    code = kUpdateFailed;
  } else if (EVP_CipherFinal_ex(context, out + updated, &finished) != 1) {
    code = kFinalFailed;
  }
  EVP_CIPHER_CTX_free(context);
  if (code != kOk) {
    if (out != nullptr) OPENSSL_cleanse(out, capacity);
    std::free(out);
    if (status != nullptr) *status = code;
    return nullptr;
  }
  const int length = updated + finished;
  if (length == 0) {
    // All padding: an empty plaintext, which the caller cannot tell from nothing by pointer.
    std::free(out);
    return nullptr;
  }
  if (static_cast<std::size_t>(length) < capacity) {
    // Shrink by copying so that no plaintext is left behind in a block realloc() frees.
    auto* exact = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(length)));
    if (exact == nullptr) {
      OPENSSL_cleanse(out, capacity);
      std::free(out);
      if (status != nullptr) *status = kUpdateFailed;
      return nullptr;
    }
    std::memcpy(exact, out, static_cast<std::size_t>(length));
    OPENSSL_cleanse(out, capacity);
    std::free(out);
    out = exact;
  }
  if (outLength != nullptr) *outLength = length;
  return out;
}

}  // namespace

unsigned char* blowfishCBCDecryptWithStatus(const unsigned char* cipherText,
                                            std::int32_t cipherLength, const unsigned char* key,
                                            std::int32_t keyLength, const unsigned char* vector,
                                            std::int32_t* outLength, std::int32_t* status) {
  return run(false, cipherText, cipherLength, key, keyLength, vector, outLength, status);
}

unsigned char* blowfishCBCDecrypt(const unsigned char* cipherText, std::int32_t cipherLength,
                                  const unsigned char* key, std::int32_t keyLength,
                                  const unsigned char* vector, std::int32_t* outLength) {
  return run(false, cipherText, cipherLength, key, keyLength, vector, outLength, nullptr);
}

unsigned char* blowfishCBCEncrypt(const unsigned char* plainText, std::int32_t plainLength,
                                  const unsigned char* key, std::int32_t keyLength,
                                  const unsigned char* vector, std::int32_t* outLength) {
  return run(true, plainText, plainLength, key, keyLength, vector, outLength, nullptr);
}
