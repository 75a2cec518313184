#include "platform/Pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <vector>

#include "platform/crypto/SecureMemory.h"

namespace Pasteboard {
namespace {

// The secret last put on the clipboard. Qt deletes its QMimeData unwiped when anything else
// takes the clipboard; the text shares that QMimeData's characters, so a wipe of it reaches
// them while Qt holds them, and keeps them to be wiped once Qt has let go.
struct HeldSecret {
  QPointer<QMimeData> data;
  QString text;
  const void* owner = nullptr;
};

HeldSecret& held() {
  static HeldSecret secret;
  return secret;
}

bool stillOnTheClipboard(const HeldSecret& secret) {
  return secret.data &&
         QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard) == secret.data.data();
}

void forget(HeldSecret& secret) {
  SecureMemory::wipe(secret.text);
  secret = {};
}

// Whatever replaces the secret on the clipboard, here or in another program, ends our copy.
void watchTheClipboard() {
  static bool watching = false;
  if (watching) return;
  watching = true;
  QClipboard* clipboard = QGuiApplication::clipboard();
  QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, [] {
    if (!stillOnTheClipboard(held())) forget(held());
  });
}

struct Listener {
  QPointer<QObject> context;
  std::function<void(const void*)> letGo;
};

std::vector<Listener>& listeners() {
  static std::vector<Listener> all;
  return all;
}

}  // namespace

void putString(const QString& text, bool secret, const void* owner) {
  watchTheClipboard();
  auto* data = new QMimeData;
  // A block of its own: the field copied from is wiped when it shows something else.
  const QString copy = SecureMemory::privateCopy(text);
  data->setText(copy);
  if (secret) data->setData(QString::fromLatin1(kPasswordManagerHint), QByteArrayLiteral("secret"));
  QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
  forget(held());  // the one replaced, should the clipboard not have told
  if (secret) held() = {data, copy, owner};
}

void withdrawSecrets(const void* owner) {
  HeldSecret& secret = held();
  if (owner && secret.owner == owner) {
    const bool ours = stillOnTheClipboard(secret);
    // In place first: the characters Qt holds go with ours.
    SecureMemory::wipe(secret.text);
    if (ours) QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    forget(secret);
  }
  // A copy of the list: a listener may add another.
  const std::vector<Listener> now = listeners();
  for (const Listener& l : now)
    if (l.context) l.letGo(owner);
  std::erase_if(listeners(), [](const Listener& l) { return !l.context; });
}

void onWithdrawal(QObject* context, std::function<void(const void* owner)> letGo) {
  listeners().push_back({context, std::move(letGo)});
}

}  // namespace Pasteboard
