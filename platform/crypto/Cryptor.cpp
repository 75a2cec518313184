#include "platform/crypto/Cryptor.h"

#include <openssl/evp.h>

#include <algorithm>
#include <climits>

namespace {

const EVP_CIPHER* aesCipher(std::size_t keyLength, bool ecb) {
  switch (keyLength) {
    case 16:
      return ecb ? EVP_aes_128_ecb() : EVP_aes_128_cbc();
    case 24:
      return ecb ? EVP_aes_192_ecb() : EVP_aes_192_cbc();
    case 32:
      return ecb ? EVP_aes_256_ecb() : EVP_aes_256_cbc();
    default:
      return nullptr;
  }
}

}  // namespace

Cryptor::Cryptor(evp_cipher_ctx_st* context, bool encrypting, bool padding)
    : context_(context), encrypting_(encrypting), padding_(padding) {}

Cryptor::~Cryptor() { release(); }

Cryptor::Status Cryptor::create(std::uint32_t operation, std::uint32_t options, QByteArrayView key,
                                QByteArrayView iv, std::unique_ptr<Cryptor>* cryptor) {
  if (cryptor == nullptr) return kParamError;
  cryptor->reset();
  if (operation != kEncrypt && operation != kDecrypt) return kParamError;
  if ((options & ~std::uint32_t(kPKCS7Padding | kECBMode)) != 0) return kParamError;
  const bool ecb = (options & kECBMode) != 0;
  const EVP_CIPHER* cipher = aesCipher(static_cast<std::size_t>(key.size()), ecb);
  if (cipher == nullptr) return kParamError;
  if (!ecb && iv.size() != static_cast<qsizetype>(kBlockSize)) return kParamError;

  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  if (context == nullptr) return kMemoryFailure;
  const bool encrypting = operation == kEncrypt;
  if (EVP_CipherInit_ex(context, cipher, nullptr,
                        reinterpret_cast<const unsigned char*>(key.data()),
                        ecb ? nullptr : reinterpret_cast<const unsigned char*>(iv.data()),
                        encrypting ? 1 : 0) != 1) {
    EVP_CIPHER_CTX_free(context);
    return kParamError;
  }
  const bool padding = (options & kPKCS7Padding) != 0;
  EVP_CIPHER_CTX_set_padding(context, padding ? 1 : 0);
  cryptor->reset(new Cryptor(context, encrypting, padding));
  return kSuccess;
}

std::size_t Cryptor::outputLength(std::size_t inputLength, bool final) const {
  const std::size_t total = pending_ + inputLength;
  const std::size_t whole = total - total % kBlockSize;
  if (!final) return whole;
  // Encryption with padding always adds 1 to 16 bytes; decryption never grows.
  if (encrypting_ && padding_) return whole + kBlockSize;
  return whole;
}

Cryptor::Status Cryptor::update(const void* in, std::size_t inLength, void* out,
                                std::size_t outAvailable, std::size_t* moved) {
  if (moved != nullptr) *moved = 0;
  if (context_ == nullptr || (in == nullptr && inLength > 0) || inLength > INT_MAX - kBlockSize)
    return kParamError;
  if (inLength == 0) return kSuccess;
  // OpenSSL may write up to one block more than the whole blocks it completes.
  std::size_t bound = pending_ + inLength;
  bound -= bound % kBlockSize;
  if (out == nullptr || outAvailable < bound) return kBufferTooSmall;
  int written = 0;
  if (EVP_CipherUpdate(context_, static_cast<unsigned char*>(out), &written,
                       static_cast<const unsigned char*>(in), static_cast<int>(inLength)) != 1)
    return kParamError;
  pending_ = pending_ + inLength - static_cast<std::size_t>(written);
  if (moved != nullptr) *moved = static_cast<std::size_t>(written);
  return kSuccess;
}

Cryptor::Status Cryptor::final(void* out, std::size_t outAvailable, std::size_t* moved) {
  if (moved != nullptr) *moved = 0;
  if (context_ == nullptr) return kParamError;
  if (pending_ % kBlockSize != 0 && !(encrypting_ && padding_)) return kAlignmentError;
  const std::size_t needed = outputLength(0, true);
  unsigned char spare[kBlockSize];
  // Decrypting writes at most the last block less its padding; keep it off a short buffer.
  unsigned char* target = static_cast<unsigned char*>(out);
  const bool useSpare = !encrypting_ && padding_;
  if (useSpare) {
    target = spare;
  } else if (needed > 0 && (out == nullptr || outAvailable < needed)) {
    return kBufferTooSmall;
  }
  int written = 0;
  const int ok = EVP_CipherFinal_ex(context_, target, &written);
  if (ok != 1) {
    OPENSSL_cleanse(spare, sizeof spare);
    return encrypting_ ? kParamError : kDecodeError;
  }
  if (useSpare) {
    if (static_cast<std::size_t>(written) > outAvailable || (written > 0 && out == nullptr)) {
      OPENSSL_cleanse(spare, sizeof spare);
      return kBufferTooSmall;
    }
    if (written > 0) std::copy(spare, spare + written, static_cast<unsigned char*>(out));
    OPENSSL_cleanse(spare, sizeof spare);
  }
  pending_ = 0;
  if (moved != nullptr) *moved = static_cast<std::size_t>(written);
  return kSuccess;
}

void Cryptor::release() {
  if (context_ != nullptr) {
    EVP_CIPHER_CTX_free(context_);  // also cleanses the key schedule
    context_ = nullptr;
  }
}
