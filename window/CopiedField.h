#pragma once

#include <QString>
#include <optional>
#include <vector>

// The record fields the window copies: the command, the record key, the code a copy control
// carries, the word its notice uses and whether the value is a secret.
namespace CopiedField {

struct Copy {
  QString action;  // "copyName:"
  QString key;     // the record key; "categoryPtr" copies the category's title
  std::optional<int> noticeTag;
  bool secret = false;
};

// The ten copy commands in menu order.
const std::vector<Copy>& copies();
const Copy* forAction(const QString& action);
// The notice's word for a copy control's code (0..9), none for any other code.
std::optional<QString> word(int tag);
// "password copied".
QString noticeText(const QString& word);
// How many tenths of a second the notice stays, from the preference: 3..30.
int noticeTenths(qint64 setting);

}  // namespace CopiedField
