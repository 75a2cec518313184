#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "app/MyAppDelegate.h"
#include "platform/UserDefaults.h"

namespace {

class RegisteredDefaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    path = dir.filePath(QStringLiteral("Quorlith.conf"));
    defaults = std::make_unique<UserDefaults>(path);
    MyAppDelegate::initialize(*defaults);
  }
  // Plants raw text in the file, as a hand edit or a damaged file would leave it.
  void plant(const QString& key, const QString& text) {
    defaults.reset();
    {
      QSettings raw(path, QSettings::IniFormat);
      raw.setValue(key, text);
    }
    defaults = std::make_unique<UserDefaults>(path);
    MyAppDelegate::initialize(*defaults);
  }

  QTemporaryDir dir;
  QString path;
  std::unique_ptr<UserDefaults> defaults;
};

struct Expected {
  const char* key;
  Value value;
};

const std::vector<Expected>& table() {
  static const std::vector<Expected> rows = {
      {"notifyUpdate", Value::boolean(true)},
      {"lastVersionUsedToUpdatePref", Value::integer(0)},
      {"StartupActionTag", Value::integer(0)},
      {"StartupSelectedDoc", Value(QString())},
      {"tableFontFamily", Value(QStringLiteral("Lucida Grande"))},
      {"tableFontSize", Value::real(12.0)},
      {"tableFontBold", Value::boolean(false)},
      {"tableFontItalic", Value::boolean(false)},
      {"openingSortBy", Value::integer(0)},
      {"autosavingDelay", Value::integer(20)},
      {"automaticSavingInterval", Value::integer(40)},
      {"autolocBackgroundEnabled", Value::boolean(false)},
      {"autolocBackgroundInterval", Value::integer(120)},
      {"disposePasswordIconAfter", Value::integer(20)},
      {"noCharStringDisambiguator", Value(QStringLiteral("0O1lI"))},
      {"tableSortCompare", Value::integer(2)},
      {"notifyHudTimer", Value::integer(10)},
      {"useHudNotifyForCopy", Value::boolean(true)},
  };
  return rows;
}

TEST_F(RegisteredDefaultsTest, EmptyStoreReadsEveryRegisteredValueWithItsType) {
  QStringList expectedOrder;
  for (const auto& row : table()) {
    const QString key = QString::fromLatin1(row.key);
    expectedOrder << key;
    const Value read = defaults->objectForKey(key);
    EXPECT_EQ(read.type(), row.value.type()) << row.key;
    EXPECT_EQ(read, row.value) << row.key;
  }
  EXPECT_EQ(defaults->registeredDefaults()->keys(), expectedOrder);
  EXPECT_EQ(defaults->integerForKey(QStringLiteral("tableSortCompare")), 2);
  EXPECT_FLOAT_EQ(defaults->floatForKey(QStringLiteral("tableFontSize")), 12.0f);
  EXPECT_TRUE(defaults->boolForKey(QStringLiteral("useHudNotifyForCopy")));
}

TEST_F(RegisteredDefaultsTest, TheFourUnregisteredKeysReadAsAbsent) {
  for (const char* key : {"StartupSelectedDocPath", "StartupSelectedDocBookmark",
                          "lastCheckDateForUpdate", "enableDisambiguator"}) {
    EXPECT_TRUE(defaults->objectForKey(QString::fromLatin1(key)).isAbsent()) << key;
  }
  EXPECT_FALSE(defaults->boolForKey(QStringLiteral("enableDisambiguator")));
  EXPECT_FALSE(defaults->dateForKey(QStringLiteral("lastCheckDateForUpdate")).has_value());
  EXPECT_TRUE(defaults->stringForKey(QStringLiteral("StartupSelectedDocPath")).isEmpty());
}

TEST_F(RegisteredDefaultsTest, RegisteringWritesNothing) {
  defaults->synchronize();
  EXPECT_FALSE(QFileInfo::exists(path) && QFileInfo(path).size() > 0);
}

TEST_F(RegisteredDefaultsTest, StoredGarbageReadsAsTheRegisteredValue) {
  const struct {
    const char* key;
    const char* garbage;
  } cases[] = {
      {"notifyUpdate", "perhaps"},  {"autosavingDelay", "twenty"}, {"autosavingDelay", "20s"},
      {"tableFontSize", "big"},     {"tableFontSize", "nan"},      {"tableSortCompare", ""},
      {"useHudNotifyForCopy", "2"}, {"StartupActionTag", "1.5.3"},
  };
  for (const auto& c : cases) {
    plant(QString::fromLatin1(c.key), QString::fromLatin1(c.garbage));
    const Value registered =
        MyAppDelegate::registeredDefaultsDictionary()->value(QString::fromLatin1(c.key));
    EXPECT_EQ(defaults->objectForKey(QString::fromLatin1(c.key)), registered)
        << c.key << " = " << c.garbage;
  }
}

TEST_F(RegisteredDefaultsTest, StoredValuesTakePrecedenceAndSurviveAReopen) {
  defaults->setInteger(QStringLiteral("autosavingDelay"), 35);
  defaults->setBool(QStringLiteral("notifyUpdate"), false);
  defaults->setDouble(QStringLiteral("tableFontSize"), 13.5);
  defaults->setString(QStringLiteral("tableFontFamily"), QStringLiteral("data:not base64"));
  defaults->setObject(QStringLiteral("StartupSelectedDocBookmark"),
                      Value::data(QByteArray("\x00\x01\xff", 3)));
  defaults->setObject(QStringLiteral("lastCheckDateForUpdate"), Value(Date{7.25e8}));
  defaults->synchronize();

  UserDefaults reopened(path);
  MyAppDelegate::initialize(reopened);
  EXPECT_EQ(reopened.integerForKey(QStringLiteral("autosavingDelay")), 35);
  EXPECT_FALSE(reopened.boolForKey(QStringLiteral("notifyUpdate")));
  EXPECT_DOUBLE_EQ(reopened.doubleForKey(QStringLiteral("tableFontSize")), 13.5);
  // A string setting is text, whatever it looks like.
  EXPECT_EQ(reopened.stringForKey(QStringLiteral("tableFontFamily")),
            QStringLiteral("data:not base64"));
  EXPECT_EQ(reopened.dataForKey(QStringLiteral("StartupSelectedDocBookmark")),
            QByteArray("\x00\x01\xff", 3));
  EXPECT_EQ(reopened.dateForKey(QStringLiteral("lastCheckDateForUpdate")), Date{7.25e8});
}

TEST_F(RegisteredDefaultsTest, DamagedDataOrDateOfAnUnregisteredKeyIsAbsent) {
  plant(QStringLiteral("StartupSelectedDocBookmark"), QStringLiteral("data:***"));
  EXPECT_TRUE(defaults->dataForKey(QStringLiteral("StartupSelectedDocBookmark")).isEmpty());
  plant(QStringLiteral("lastCheckDateForUpdate"), QStringLiteral("date:soon"));
  EXPECT_FALSE(defaults->dateForKey(QStringLiteral("lastCheckDateForUpdate")).has_value());
}

}  // namespace

namespace {

TEST(UserDefaultsChanges, AreAnnouncedOncePerRealChange) {
  QTemporaryDir dir;
  UserDefaults defaults(dir.filePath(QStringLiteral("q.conf")));
  MyAppDelegate::initialize(defaults);
  QStringList announced;
  QObject::connect(&defaults, &UserDefaults::valueChanged,
                   [&announced](const QString& key) { announced << key; });
  defaults.setInteger(QStringLiteral("tableSortCompare"), 0);
  defaults.setInteger(QStringLiteral("tableSortCompare"), 0);  // the same again: silent
  defaults.setBool(QStringLiteral("enableDisambiguator"), true);
  defaults.removeObjectForKey(QStringLiteral("tableSortCompare"));
  defaults.removeObjectForKey(QStringLiteral("tableSortCompare"));  // nothing left to remove
  EXPECT_EQ(announced,
            (QStringList{QStringLiteral("tableSortCompare"), QStringLiteral("enableDisambiguator"),
                         QStringLiteral("tableSortCompare")}));
}

}  // namespace
