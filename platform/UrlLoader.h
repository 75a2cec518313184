#pragma once

#include <QByteArray>
#include <QUrl>
#include <functional>

#include "platform/Result.h"

// Loads the bytes at an address without blocking the caller. The program loads over the
// network; tests put a fake in its place.
class UrlLoader {
 public:
  using Completion = std::function<void(Result<QByteArray>)>;

  virtual ~UrlLoader() = default;
  // completion runs once, later, on the caller's thread; never after the loader is destroyed.
  virtual void load(const QUrl& url, Completion completion) = 0;
};
