#pragma once

#include <QString>
#include <functional>

class QObject;

// The desktop clipboard. Secrets carry the hint that tells clipboard managers to keep no
// history of them; nothing goes to the X11 selection buffer.
//
// A secret goes there for an owner, the window it was copied from. When the owner withdraws
// its secrets (its document locks or closes), the secret is taken off the clipboard if it is
// still what the clipboard holds, and what the user copied since is left alone. The program's
// own copy of a secret is wiped as soon as the clipboard holds something else, or at the
// withdrawal.
namespace Pasteboard {

inline constexpr char kPasswordManagerHint[] = "x-kde-passwordManagerHint";

// Replaces what the clipboard held with text (an empty text too).
void putString(const QString& text, bool secret, const void* owner = nullptr);

// Takes owner's secret off the clipboard, wipes the program's copies of it and tells whoever
// keeps a secret of owner's ready for the clipboard (onWithdrawal) to let it go.
void withdrawSecrets(const void* owner);

// letGo runs at every withdrawal, with its owner, for as long as context lives.
void onWithdrawal(QObject* context, std::function<void(const void* owner)> letGo);

}  // namespace Pasteboard
