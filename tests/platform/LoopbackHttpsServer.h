#pragma once

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <QMap>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpSocket>
#include <memory>

// A self-signed certificate for 127.0.0.1, made fresh for each run so no key lives in the tree.
struct LoopbackCertificate {
  QSslCertificate certificate;
  QSslKey key;

  static LoopbackCertificate make() {
    EVP_PKEY* pkey = EVP_EC_gen("P-256");
    X509* x509 = X509_new();
    X509_set_version(x509, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(x509), 1);
    X509_gmtime_adj(X509_getm_notBefore(x509), -3600);
    X509_gmtime_adj(X509_getm_notAfter(x509), 24L * 3600);
    X509_set_pubkey(x509, pkey);
    X509_NAME* name = X509_get_subject_name(x509);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(x509, name);
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, x509, x509, nullptr, nullptr, 0);
    for (const auto& [nid, value] : {std::pair{NID_subject_alt_name, "IP:127.0.0.1"},
                                     std::pair{NID_basic_constraints, "critical,CA:TRUE"}}) {
      X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
      X509_add_ext(x509, ext, -1);
      X509_EXTENSION_free(ext);
    }
    X509_sign(x509, pkey, EVP_sha256());

    const auto pem = [](auto write) {
      BIO* bio = BIO_new(BIO_s_mem());
      write(bio);
      char* data = nullptr;
      const long size = BIO_get_mem_data(bio, &data);
      QByteArray out(data, size);
      BIO_free(bio);
      return out;
    };
    LoopbackCertificate out;
    out.certificate = QSslCertificate(pem([x509](BIO* b) { PEM_write_bio_X509(b, x509); }));
    out.key = QSslKey(pem([pkey](BIO* b) {
                        PEM_write_bio_PrivateKey(b, pkey, nullptr, nullptr, 0, nullptr, nullptr);
                      }),
                      QSsl::Ec);
    X509_free(x509);
    EVP_PKEY_free(pkey);
    return out;
  }
};

// An https server on the loopback address with canned answers by path. An answer is the raw
// HTTP response after the status line's "HTTP/1.1 "; an empty one is never given (the client
// waits); the connection closes after the body.
class LoopbackHttpsServer : public QObject {
 public:
  struct Answer {
    QByteArray head;  // status line rest and headers, e.g. "200 OK\r\nContent-Length: 3"
    QByteArray body;
  };

  explicit LoopbackHttpsServer(const LoopbackCertificate& cert) {
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(cert.certificate);
    config.setPrivateKey(cert.key);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    server_.setSslConfiguration(config);
    QObject::connect(&server_, &QTcpServer::pendingConnectionAvailable, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) serve(socket);
    });
    server_.listen(QHostAddress::LocalHost);
  }

  QMap<QString, Answer> answers;
  int connections = 0;

  QString url(const QString& path, const char* scheme = "https") const {
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(QString::fromLatin1(scheme))
        .arg(server_.serverPort())
        .arg(path);
  }

 private:
  void serve(QTcpSocket* socket) {
    ++connections;
    socket->setParent(this);
    auto request = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
      *request += socket->readAll();
      if (!request->contains("\r\n\r\n")) return;
      const QList<QByteArray> line = request->left(request->indexOf("\r\n")).split(' ');
      const Answer answer = answers.value(QString::fromLatin1(line.value(1)));
      request->clear();
      if (answer.head.isEmpty()) return;  // keep the client waiting
      socket->write("HTTP/1.1 " + answer.head + "\r\nConnection: close\r\n\r\n" + answer.body);
      socket->disconnectFromHost();  // once everything is written
    });
  }

  QSslServer server_;
};
