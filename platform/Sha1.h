#pragma once

#include <QByteArray>
#include <QByteArrayView>

class Sha1 {
 public:
  static constexpr int kDigestLength = 20;
  static QByteArray digest(QByteArrayView bytes);
};
