#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Which document window commands are enabled, and which carry a check mark, decided from
// the document's state alone. The window applies the answer to its actions whenever that
// state changes.
namespace WindowCommands {

struct State {
  bool unlocked = false;
  bool hasFile = false;
  bool recordSelected = false;
  bool recordsExist = false;
  bool recordsShown = false;  // records pass the filter in force
  bool showPasswordsInTable = false;
  bool isEditable = false;
  bool showClearPassword = false;
  QStringList shownColumns;  // identifiers of the table columns shown
};

struct Validation {
  bool enabled = false;
  std::optional<bool> checked;  // none: the command carries no check mark
};

// The answer for a window command; none for a command the window does not decide (the
// document base's rule then applies).
std::optional<Validation> validate(const QString& action, const State& state);

}  // namespace WindowCommands
