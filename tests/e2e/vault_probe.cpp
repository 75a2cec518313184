// A command-line look into a vault for the end-to-end suite, through the application's own
// reader and writer: "create PATH PASSWORD [NAME=SECRET...]" writes a vault with those records,
// "names PATH PASSWORD" unlocks one and prints its records' names, one a line, in order.
// Exit status: 0 done, 1 wrong use, 2 not readable as a vault, 3 not unlocked, 4 not written.
#include <QCoreApplication>
#include <cstdio>

#include "platform/AtomicFile.h"
#include "vault/Vault.h"
#include "vault/VaultFileBytes.h"
#include "vault/VaultKeys.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  if (args.size() < 4) {
    std::fprintf(stderr, "usage: vault_probe create|names PATH PASSWORD [NAME=SECRET...]\n");
    return 1;
  }
  const QString& command = args[1];
  const QString& path = args[2];
  const QString& password = args[3];
  Vault vault;
  if (command == u"create") {
    auto records = Array::create();
    for (const QString& pair : args.mid(4)) {
      const qsizetype at = pair.indexOf(u'=');
      if (at <= 0) return 1;
      DictRef record = vault.recordController().newObject();
      record->setValue(RecordKeys::name(), pair.left(at));
      record->setValue(RecordKeys::password(), pair.mid(at + 1));
      records->append(record);
    }
    vault.setRecords(records);
    VaultResult<QByteArray> bytes = vault.fileData(password, vault.viewState());
    if (!bytes || !AtomicFile::write(bytes.value(), path)) return 4;
    return 0;
  }
  if (command != u"names") return 1;
  auto bytes = VaultFileBytes::read(path);
  if (!bytes) return 2;
  if (VaultResult<void> read = vault.read(bytes.value()); !read) {
    std::fprintf(stderr, "%s\n", qPrintable(read.error()));
    return 2;
  }
  if (VaultResult<void> unlocked = vault.unlock(password); !unlocked) return 3;
  for (const Value& v : vault.records()->values())
    if (const DictRef record = v.toDictionary())
      std::printf("%s\n", record->value(RecordKeys::name()).toString().toUtf8().constData());
  return 0;
}
