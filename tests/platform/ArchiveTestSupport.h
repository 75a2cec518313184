#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <optional>
#include <utility>

// Files written by other software live outside the repository; tests that need them skip
// when the folder is missing.
inline QString fixturePath(const QString& relative) {
  return QDir(QStringLiteral(QV_FIXTURES_DIR)).filePath(relative);
}

inline std::optional<QByteArray> readFixture(const QString& relative) {
  QFile file(fixturePath(relative));
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

inline QByteArray hexBytes(const char* hex) { return QByteArray::fromHex(QByteArray(hex)); }

#define QV_FIXTURE_OR_SKIP(var, relative)                             \
  auto var##Optional = readFixture(QStringLiteral(relative));         \
  if (!var##Optional)                                                 \
    GTEST_SKIP() << "fixture missing: " << (relative)                 \
                 << " (set "                                          \
                    "QV_FIXTURES_DIR to the shared fixtures folder)"; \
  const QByteArray var = *std::move(var##Optional)
