#pragma once

#include <cstdint>

// Base64 (one line, no breaks) and hexadecimal text for byte strings, beside the Blowfish
// layer. Buffers answered are new malloc() buffers that the caller free()s.

// Encodes into out (capacity bytes, room for the terminating NUL included); answers the text
// length, or -1 when out is too small or the input is invalid.
std::int32_t base64EncodeInto(const unsigned char* in, std::int32_t inLength, char* out,
                              std::int32_t capacity);
// A new NUL-terminated text, or nothing; an empty input gives an empty text.
char* base64Encode(const unsigned char* in, std::int32_t inLength, std::int32_t* outLength);
// Strict: only the standard alphabet, length a multiple of 4, "=" only at the end. Nothing for
// any other text (also for an empty one, with length 0).
unsigned char* base64Decode(const char* in, std::int32_t inLength, std::int32_t* outLength);
// Lower-case hexadecimal, NUL-terminated, two digits per byte; nothing for an invalid input.
char* hexString(const unsigned char* in, std::int32_t inLength);
