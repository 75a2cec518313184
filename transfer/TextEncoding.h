#pragma once

#include <QString>

// The encodings an import file can be read in, and the codes the importer's encoding choice
// stores: an explicit code names one encoding; any other value asks for detection.
namespace TextEncodingCode {
enum : qint32 {
  Automatic = 0,
  UTF8 = 1,
  UTF16 = 10,  // byte order from the byte-order mark, big-endian without one
  UTF16BE = 11,
  UTF16LE = 12,
  UTF32 = 20,  // byte order from the byte-order mark, big-endian without one
  UTF32BE = 21,
  UTF32LE = 22,
  MacOSRoman = 30,
  Windows1252 = 40,
  ASCII = 50,
};
// Whether the code names an encoding (else it asks for detection).
bool isExplicit(qint32 code);
// The encoding's name for the user; "Automatic" for a detecting code.
QString name(qint32 code);
}  // namespace TextEncodingCode

// The encoding a text was actually read in.
enum class TextEncoding {
  UTF8,
  UTF16BE,
  UTF16LE,
  UTF32BE,
  UTF32LE,
  MacOSRoman,
  Windows1252,
  ASCII
};

QString textEncodingName(TextEncoding encoding);
