// A second process for the lock tests: takes a document's lock and either holds it until its
// input closes ("hold") or ends without releasing it, as a crash would ("abandon").
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>

#include "platform/DocumentLock.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) return 2;
  auto* lock = new DocumentLock(QString::fromLocal8Bit(argv[1]));
  if (lock->acquire() != DocumentLock::Outcome::Acquired) return 1;
  std::printf("locked\n");
  std::fflush(stdout);
  if (std::string(argv[2]) == "abandon") _exit(0);
  char buffer[64];
  while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
  }
  delete lock;
  return 0;
}
