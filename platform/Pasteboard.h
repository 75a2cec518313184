#pragma once

#include <QString>

// The desktop clipboard. Secrets carry the hint that tells clipboard managers to keep no
// history of them; nothing goes to the X11 selection buffer.
namespace Pasteboard {

inline constexpr char kPasswordManagerHint[] = "x-kde-passwordManagerHint";

// Replaces what the clipboard held with text (an empty text too).
void putString(const QString& text, bool secret);

}  // namespace Pasteboard
