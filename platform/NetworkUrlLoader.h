#pragma once

#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSslCertificate>

#include "platform/UrlLoader.h"

// Loads small documents over https only: plain http is refused, a redirect may not leave
// https, each load has a deadline, and an answer larger than the cap is cut off and refused.
class NetworkUrlLoader : public QObject, public UrlLoader {
  Q_OBJECT

 public:
  struct Options {
    int timeoutMs = 15000;           // for the whole load, redirects included
    qsizetype maxBytes = 1 << 20;    // a larger body is refused
    QList<QSslCertificate> trusted;  // added to the system's authorities (tests)
  };

  explicit NetworkUrlLoader(Options options, QObject* parent = nullptr);
  ~NetworkUrlLoader() override;

  void load(const QUrl& url, Completion completion) override;

 private:
  Options options_;
  QNetworkAccessManager manager_;
};
