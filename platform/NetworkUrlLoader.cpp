#include "platform/NetworkUrlLoader.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>
#include <memory>

namespace {
bool isHttps(const QUrl& url) {
  return url.isValid() && url.scheme() == u"https" && !url.host().isEmpty();
}
}  // namespace

NetworkUrlLoader::NetworkUrlLoader(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

NetworkUrlLoader::~NetworkUrlLoader() {
  // Loads still running end here, silently: their completions belong to whoever owns us.
  for (QNetworkReply* reply : manager_.findChildren<QNetworkReply*>()) {
    reply->disconnect();
    reply->abort();
    delete reply;
  }
}

void NetworkUrlLoader::load(const QUrl& url, Completion completion) {
  if (!isHttps(url)) {
    QMetaObject::invokeMethod(
        this,
        [completion = std::move(completion), url] {
          completion(
              Failure{QStringLiteral("%1 is not an https address").arg(url.toDisplayString())});
        },
        Qt::QueuedConnection);
    return;
  }
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setMaximumRedirectsAllowed(5);
  request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
  if (!options_.trusted.isEmpty()) {
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.addCaCertificates(options_.trusted);
    request.setSslConfiguration(ssl);
  }

  QNetworkReply* reply = manager_.get(request);
  // Only a little is held between reads, whatever the server sends.
  reply->setReadBufferSize(qint64{64} * 1024);
  struct Load {
    QByteArray body;
    QString refused;  // why the load was cut off, if it was
  };
  auto state = std::make_shared<Load>();
  const qsizetype maxBytes = options_.maxBytes;
  const auto refuse = [reply, state](const QString& why) {
    if (state->refused.isEmpty()) state->refused = why;
    reply->abort();
  };

  auto* deadline = new QTimer(reply);
  deadline->setSingleShot(true);
  connect(deadline, &QTimer::timeout, reply, [refuse, timeout = options_.timeoutMs] {
    refuse(QStringLiteral("no answer within %1 ms").arg(timeout));
  });
  deadline->start(options_.timeoutMs);

  connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, refuse, maxBytes] {
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > maxBytes)
      refuse(QStringLiteral("the answer is larger than %1 bytes").arg(maxBytes));
  });
  connect(reply, &QNetworkReply::readyRead, reply, [reply, state, refuse, maxBytes] {
    state->body += reply->read(maxBytes + 1 - state->body.size());
    if (state->body.size() > maxBytes)
      refuse(QStringLiteral("the answer is larger than %1 bytes").arg(maxBytes));
  });
  connect(reply, &QNetworkReply::finished, this,
          [reply, state, maxBytes, completion = std::move(completion)] {
            reply->deleteLater();
            if (state->refused.isEmpty() && reply->error() == QNetworkReply::NoError) {
              state->body += reply->read(maxBytes + 1 - state->body.size());
              if (state->body.size() > maxBytes)
                state->refused = QStringLiteral("the answer is larger than %1 bytes").arg(maxBytes);
            }
            if (!state->refused.isEmpty()) return completion(Failure{state->refused});
            if (reply->error() != QNetworkReply::NoError)
              return completion(Failure{reply->errorString()});
            if (!isHttps(reply->url()))
              return completion(Failure{QStringLiteral("redirected away from https")});
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            if (status != 200)
              return completion(Failure{QStringLiteral("HTTP status %1").arg(status)});
            completion(std::move(state->body));
          });
}
