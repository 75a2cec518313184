#include "platform/crypto/CipherTextEncoding.h"

#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstdlib>
#include <cstring>

namespace {

std::int32_t encodedLength(std::int32_t inLength) {
  return static_cast<std::int32_t>(4 * ((static_cast<std::int64_t>(inLength) + 2) / 3));
}

// Runs bytes through the library's base64 filter over a memory buffer, lines unbroken.
// encode: the filter writes; decode: the filter reads. Answers a memory BIO holding the result.
BIO* filter(bool encode, const void* in, int inLength) {
  BIO* b64 = BIO_new(BIO_f_base64());
  if (b64 == nullptr) return nullptr;
  BIO_set_flags(b64, BIO_FLAGS_BASE64_NO_NL);
  BIO* memory = encode ? BIO_new(BIO_s_mem()) : BIO_new_mem_buf(in, inLength);
  if (memory == nullptr) {
    BIO_free(b64);
    return nullptr;
  }
  BIO* chain = BIO_push(b64, memory);
  if (encode) {
    if (BIO_write(chain, in, inLength) != inLength || BIO_flush(chain) != 1) {
      BIO_free_all(chain);
      return nullptr;
    }
  }
  return chain;
}

bool isBase64Char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

bool validBase64(const char* in, std::int32_t length) {
  if (length % 4 != 0) return false;
  std::int32_t padding = 0;
  if (in[length - 1] == '=') ++padding;
  if (in[length - 2] == '=') ++padding;
  for (std::int32_t i = 0; i < length - padding; ++i) {
    if (!isBase64Char(in[i])) return false;
  }
  return true;
}

}  // namespace

std::int32_t base64EncodeInto(const unsigned char* in, std::int32_t inLength, char* out,
                              std::int32_t capacity) {
  if (inLength < 0 || (in == nullptr && inLength > 0) || out == nullptr || inLength > 0x5FFFFFFF)
    return -1;
  const std::int32_t needed = encodedLength(inLength);
  if (capacity < needed + 1) return -1;
  if (inLength == 0) {
    out[0] = '\0';
    return 0;
  }
  BIO* chain = filter(true, in, inLength);
  if (chain == nullptr) return -1;
  char* text = nullptr;
  const long length = BIO_get_mem_data(BIO_next(chain), &text);
  const bool ok = length == needed;
  if (ok) {
    std::memcpy(out, text, static_cast<std::size_t>(length));
    out[length] = '\0';
  }
  BIO_free_all(chain);
  return ok ? needed : -1;
}

char* base64Encode(const unsigned char* in, std::int32_t inLength, std::int32_t* outLength) {
  if (outLength != nullptr) *outLength = 0;
  if (inLength < 0 || inLength > 0x5FFFFFFF) return nullptr;
  const std::int32_t capacity = encodedLength(inLength) + 1;
  auto* out = static_cast<char*>(std::malloc(static_cast<std::size_t>(capacity)));
  if (out == nullptr) return nullptr;
  const std::int32_t length = base64EncodeInto(in, inLength, out, capacity);
  if (length < 0) {
    std::free(out);
    return nullptr;
  }
  if (outLength != nullptr) *outLength = length;
  return out;
}

unsigned char* base64Decode(const char* in, std::int32_t inLength, std::int32_t* outLength) {
  if (outLength != nullptr) *outLength = 0;
  if (in == nullptr || inLength < 4 || !validBase64(in, inLength)) return nullptr;
  const std::size_t capacity = static_cast<std::size_t>(inLength) / 4 * 3;
  auto* out = static_cast<unsigned char*>(std::malloc(capacity));
  if (out == nullptr) return nullptr;
  BIO* chain = filter(false, in, inLength);
  int length = chain == nullptr ? -1 : BIO_read(chain, out, static_cast<int>(capacity));
  BIO_free_all(chain);
  std::int32_t padding = (in[inLength - 1] == '=') + (in[inLength - 2] == '=');
  if (length != static_cast<int>(capacity) - padding) {
    OPENSSL_cleanse(out, capacity);
    std::free(out);
    return nullptr;
  }
  if (outLength != nullptr) *outLength = length;
  return out;
}

char* hexString(const unsigned char* in, std::int32_t inLength) {
  if (inLength < 0 || (in == nullptr && inLength > 0) || inLength > 0x3FFFFFFF) return nullptr;
  static const char kDigits[] = "0123456789abcdef";
  auto* out = static_cast<char*>(std::malloc(2 * static_cast<std::size_t>(inLength) + 1));
  if (out == nullptr) return nullptr;
  // Indexed in size_t: twice an input of 1 GiB or more does not fit an int.
  for (std::size_t i = 0; i < static_cast<std::size_t>(inLength); ++i) {
    out[2 * i] = kDigits[in[i] >> 4];
    out[2 * i + 1] = kDigits[in[i] & 0x0F];
  }
  out[2 * static_cast<std::size_t>(inLength)] = '\0';
  return out;
}
