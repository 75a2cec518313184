#pragma once

#include <QString>
#include <functional>

// Shows a file selected in the desktop's file manager: through the freedesktop FileManager1
// interface where a file manager offers it, else by opening the file's folder. Tests put a
// revealer in its place.
class FileReveal {
 public:
  using Revealer = std::function<void(const QString& path)>;

  static void revealInFileManager(const QString& path);
  static void setRevealer(Revealer revealer);  // an empty one brings the desktop back
};
