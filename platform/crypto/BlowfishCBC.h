#pragma once

#include <cstdint>

// Blowfish-CBC with PKCS#5 padding over OpenSSL, as the legacy documents were written.
//
// The key schedule always takes 16 key bytes: the first 16 of key (fewer are padded with
// zeros, more are ignored). Stored legacy documents depend on exactly that key.
// The vector is 8 bytes. Each function answers a new malloc() buffer, which the caller wipes
// and free()s, or nothing (null) with length 0; an input length below 1 answers nothing.

constexpr int kBlowfishKeyLength = 16;
constexpr int kBlowfishBlockSize = 8;

// status: 0 success, 1 the update step (or the set-up) failed, 2 the final step failed (length
// not a multiple of 8, or invalid padding).
unsigned char* blowfishCBCDecryptWithStatus(const unsigned char* cipherText,
                                            std::int32_t cipherLength, const unsigned char* key,
                                            std::int32_t keyLength, const unsigned char* vector,
                                            std::int32_t* outLength, std::int32_t* status);
unsigned char* blowfishCBCDecrypt(const unsigned char* cipherText, std::int32_t cipherLength,
                                  const unsigned char* key, std::int32_t keyLength,
                                  const unsigned char* vector, std::int32_t* outLength);
unsigned char* blowfishCBCEncrypt(const unsigned char* plainText, std::int32_t plainLength,
                                  const unsigned char* key, std::int32_t keyLength,
                                  const unsigned char* vector, std::int32_t* outLength);
