#pragma once

#include <QObject>
#include <QSettings>
#include <QString>
#include <memory>

#include "platform/Dictionary.h"

// The user's settings: values the user set, stored in an INI file, over a registered domain
// that lives in memory only and is registered again at every launch. Reads are typed: a stored
// value that cannot be read as the registered value's type reads as the registered value, so a
// hand-edited or damaged file never yields garbage. Every change made through it is announced,
// so views and readers of a setting follow it.
class UserDefaults : public QObject {
  Q_OBJECT

 public:
  // The store in the user's configuration folder ($XDG_CONFIG_HOME/Quorlith/Quorlith.conf).
  UserDefaults();
  // A store at that path (tests, and a second profile).
  explicit UserDefaults(const QString& settingsPath);

  static UserDefaults& standardUserDefaults();
  static QString standardSettingsPath();

  // Adds to the registered domain; a key registered again takes the new value.
  void registerDefaults(const DictRef& defaults);
  const DictRef& registeredDefaults() const { return registered_; }

  // The stored value read as the registered value's type, else the registered value; an
  // unregistered key answers what is stored (string, number, data or date), else absent.
  Value objectForKey(const QString& key) const;
  bool boolForKey(const QString& key) const;
  qint64 integerForKey(const QString& key) const;
  double doubleForKey(const QString& key) const;
  float floatForKey(const QString& key) const { return static_cast<float>(doubleForKey(key)); }
  QString stringForKey(const QString& key) const;  // empty when none
  QByteArray dataForKey(const QString& key) const;
  std::optional<Date> dateForKey(const QString& key) const;

  void setObject(const QString& key, const Value& value);  // absent removes
  void setBool(const QString& key, bool value) { setObject(key, Value::boolean(value)); }
  void setInteger(const QString& key, qint64 value) { setObject(key, Value::integer(value)); }
  void setDouble(const QString& key, double value) { setObject(key, Value::real(value)); }
  void setString(const QString& key, const QString& value) { setObject(key, Value(value)); }
  void removeObjectForKey(const QString& key);
  void synchronize();

  // The raw text of a stored entry, for tests that plant damaged values.
  QSettings& store() { return *settings_; }

 Q_SIGNALS:
  // The value read under key may have changed: a stored value was set to another or removed
  // (a write of the same value announces nothing), or a value was registered anew.
  void valueChanged(const QString& key);

 private:
  void write(const QString& key, const QVariant& raw);

  // Reads the stored entry as a value of that type; absent when it is missing or unreadable.
  Value storedAs(const QString& key, Value::Type type) const;

  std::unique_ptr<QSettings> settings_;
  DictRef registered_ = Dictionary::create();
};
