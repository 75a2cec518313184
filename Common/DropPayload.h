#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

// What a drop area takes from a drag: local files as paths, web addresses (http or https, in
// any case) from a URL or from plain text. Drags that allow neither copy nor link, and texts
// over 8 KiB, are refused.
namespace DropPayload {

inline constexpr qsizetype kMaxTextBytes = qsizetype{8} * 1024;

// Files: every file dropped. FileOrUrl: the first file, else the first web address, else a
// web address as text. Url: the first web address, else a web address as text.
enum class Accepts { Files, FileOrUrl, Url };

struct Offer {
  QList<QUrl> urls;
  std::optional<QString> text;
  bool copyOrLinkAllowed = false;
};

struct Item {
  enum Kind { FilePath, WebAddress } kind;
  QString text;
  friend bool operator==(const Item&, const Item&) = default;
};

bool isWebAddress(const QString& text);
// Empty when the area refuses the drag.
std::vector<Item> accepted(Accepts accepts, const Offer& offer);

}  // namespace DropPayload
