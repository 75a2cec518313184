#pragma once

#include <QByteArrayView>
#include <cstddef>
#include <cstdint>
#include <memory>

struct evp_cipher_ctx_st;

// An AES cryptor in the create / output length / update / final / release style of the
// document cipher. Key length picks AES-128, -192 or -256.
class Cryptor {
 public:
  enum Operation : std::uint32_t { kEncrypt = 0, kDecrypt = 1 };
  enum Option : std::uint32_t { kPKCS7Padding = 1, kECBMode = 2 };
  enum Status : std::int32_t {
    kSuccess = 0,
    kParamError = -4300,
    kBufferTooSmall = -4301,
    kMemoryFailure = -4302,
    kAlignmentError = -4303,
    kDecodeError = -4304,
  };
  static constexpr std::size_t kBlockSize = 16;

  // The key and IV are copied by the cipher context; the IV must be 16 bytes unless ECB.
  static Status create(std::uint32_t operation, std::uint32_t options, QByteArrayView key,
                       QByteArrayView iv, std::unique_ptr<Cryptor>* cryptor);

  Cryptor(const Cryptor&) = delete;
  Cryptor& operator=(const Cryptor&) = delete;
  ~Cryptor();

  // Bytes that update (final = false) or update plus final (final = true) may write.
  std::size_t outputLength(std::size_t inputLength, bool final) const;
  Status update(const void* in, std::size_t inLength, void* out, std::size_t outAvailable,
                std::size_t* moved);
  Status final(void* out, std::size_t outAvailable, std::size_t* moved);
  // Wipes and frees the cipher context; the cryptor refuses further work.
  void release();

 private:
  Cryptor(evp_cipher_ctx_st* context, bool encrypting, bool padding);

  evp_cipher_ctx_st* context_;
  bool encrypting_;
  bool padding_;
  std::size_t pending_ = 0;  // input bytes taken but not yet written out
};
