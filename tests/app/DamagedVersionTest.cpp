#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/ZVRevertDocController.h"
#include "platform/AtomicFile.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "tests/GuiDriver.h"
#include "tests/vault/LegacyFileWriter.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"

namespace {

const QString kPassword = QStringLiteral("secret12");

// A controller whose failures are recorded instead of shown.
class QuietController : public ZVRevertDocController {
 public:
  QStringList errors;

 protected:
  void presentError(const QString& message, const QString& informative) override {
    errors << message + QLatin1Char('\n') + informative;
  }
};

QByteArray bytesAt(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A saved vault of two records.
QByteArray savedVault() {
  MyDocument doc;
  doc.setPlainPassword(kPassword);
  for (const char* name : {"Bank", "Mail"}) {
    DictRef record = doc.recordController().newObject();
    record->setValue(RecordKeys::name(), QString::fromLatin1(name));
    doc.recordController().addObject(record);
  }
  return doc.dataOfType(doc.fileType()).value_or(QByteArray());
}

QByteArray edited(const QByteArray& file, const std::function<void(Dictionary&)>& edit) {
  const DictRef container = KeyedUnarchiver::unarchiveObjectWithData(file).value().toDictionary();
  edit(*container);
  return KeyedArchiver::archivedDataWithRootObject(Value(container)).value();
}

std::function<void(Dictionary&)> version(const Value& v) {
  return [v](Dictionary& d) { d.setValue(QStringLiteral("appversion"), v); };
}

// Files whose version contradicts the pieces they hold, or is no version at all: opening
// any of them as what its version says would unlock an empty vault, or refuse the right
// password, and the first save would put an empty vault in place of the file's records.
TEST(DamagedVersionTest, AFileWhoseVersionContradictsItsPiecesOpensNothingAndStaysAsItIs) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QByteArray current = savedVault();
  ASSERT_FALSE(current.isEmpty());
  const ZVCrypto engine(LegacyFileWriter::kVector, kPassword);
  const ArrayRef records = Array::create(
      {Value(LegacyFileWriter::Entry(engine).text("name", QStringLiteral("Bank")).dict())});
  const ArrayRef categories = Array::create({Value(
      LegacyFileWriter::Entry(engine).text("cat_category", QStringLiteral("Money")).dict())});
  const QByteArray legacy2400 = LegacyFileWriter::document(2400, records, categories);

  const struct {
    const char* name;
    QByteArray bytes;
    const char* reason;  // the detail that follows the sentence for the user
  } cases[] = {
      {"current pieces under 1000", edited(current, version(Value::unsignedInteger(1000))),
       "Its version, 1000, is of an older format, but it holds the encrypted pieces"},
      {"current pieces under 2400", edited(current, version(Value::integer(2400))),
       "Its version, 2400, is of an older format, but it holds the encrypted pieces"},
      {"current pieces under 21200", edited(current, version(Value::unsignedInteger(21200))),
       "Its version, 21200, is of an older format, but it holds the encrypted pieces"},
      {"current pieces beside the older lists under 2400",
       edited(current,
              [&](Dictionary& d) {
                version(Value::unsignedInteger(2400))(d);
                d.setValue(QStringLiteral("dataArray"), records);
              }),
       "but it holds the encrypted pieces"},
      {"the older lists under 40100", LegacyFileWriter::document(40100, records, categories),
       "Its version, 40100, is of the current format, but it holds none of that format's"},
      {"no list of records under 2400", LegacyFileWriter::document(2400, nullptr, categories),
       "Its version, 2400, is of an older format, but it holds no list of records."},
      {"records that are no list under 1000",
       edited(LegacyFileWriter::document(1000, records, nullptr),
              [](Dictionary& d) { d.setValue(QStringLiteral("dataArray"), QStringLiteral("x")); }),
       "holds no list of records."},
      {"categories that are no list under 2400",
       edited(legacy2400,
              [&](Dictionary& d) {
                d.setValue(QStringLiteral("catArray"), Value::data(QByteArray("x")));
              }),
       "its list of categories is not a list."},
      {"the version as a text", edited(current, version(QStringLiteral("40100"))),
       "Its version is not a whole number of zero or more: it is a text."},
      {"the version as a real that is not whole", edited(current, version(Value::real(40100.5))),
       "it is 40100.5."},
      {"the version as a yes-or-no value", edited(current, version(Value::boolean(true))),
       "it is a yes-or-no value."},
      {"a negative version", edited(legacy2400, version(Value::integer(-1))), "it is -1."},
  };
  const QString path = dir.filePath(QStringLiteral("Bank.qvlt"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(AtomicFile::write(c.bytes, path));
    QuietController controller;
    // Any other alert (a newer release's) is answered, so that nothing waits for a person.
    QObject guard;
    QTimer::singleShot(0, &guard, [] { GuiDriver::closeAllAlerts(); });
    controller.openFiles({path});
    EXPECT_EQ(controller.errors.size(), 1);
    const QStringList lines = controller.errors.value(0).split(u'\n');
    EXPECT_EQ(lines.value(0), u"The document “Bank.qvlt” could not be opened.");
    EXPECT_EQ(lines.value(1), u"The file is damaged or is not a vault.");
    EXPECT_TRUE(lines.mid(2).join(u' ').contains(QString::fromUtf8(c.reason)))
        << controller.errors.value(0).toStdString();
    EXPECT_TRUE(controller.documents().empty());
    // Whatever opened is given what a user would give it: any password, an edit, the lock
    // and a save. None of it may reach the file.
    for (Document* opened : std::vector<Document*>(controller.documents())) {
      auto* doc = qobject_cast<MyDocument*>(opened);
      doc->submitPasswordToDecrypt(QStringLiteral("any password"));
      GuiDriver::closeAllAlerts();
      EXPECT_TRUE(doc->isEncrypted()) << "unlocked as an empty vault";
      if (doc->isDecrypted()) {
        doc->recordController().addObject(doc->recordController().newObject());
        doc->updateChangeCount(ChangeCounting::ChangeDone);
        doc->doLockDocument();
      }
      doc->saveDocument();
      GuiDriver::closeAllAlerts();
    }
    EXPECT_EQ(bytesAt(path), c.bytes);
    controller.closeAllDocuments();
    GuiDriver::settle();
  }

  // As the user sees it: the sentence first, why after it.
  ZVRevertDocController shown;
  QStringList texts;
  QObject guard;
  QTimer::singleShot(0, &guard, [&] {
    if (QMessageBox* box = GuiDriver::onlyAlert()) {
      GuiDriver::snapshot(box, QStringLiteral("damaged-version-alert"));
      texts << box->text() << box->informativeText();
    }
    GuiDriver::pressAlertButton(QStringLiteral("OK"));
  });
  shown.openFiles({path});
  ASSERT_EQ(texts.size(), 2);
  EXPECT_EQ(texts[0], u"The document “Bank.qvlt” could not be opened.");
  EXPECT_TRUE(texts[1].startsWith(u"The file is damaged or is not a vault.\n\nIts version"))
      << texts[1].toStdString();
}

}  // namespace
