#include "platform/UserDefaults.h"

#include <QStandardPaths>
#include <cmath>

namespace {
constexpr char kDataPrefix[] = "data:";
constexpr char kDatePrefix[] = "date:";

std::optional<bool> parseBool(const QString& text) {
  const QString t = text.trimmed().toLower();
  if (t == u"true" || t == u"yes" || t == u"1") return true;
  if (t == u"false" || t == u"no" || t == u"0") return false;
  return std::nullopt;
}

// Dates are stored as seconds since the reference date, so they survive any locale.
Value readTagged(const QString& text) {
  if (text.startsWith(QLatin1String(kDataPrefix))) {
    auto decoded = QByteArray::fromBase64Encoding(text.mid(5).toLatin1(),
                                                  QByteArray::AbortOnBase64DecodingErrors);
    if (decoded) return Value::data(*decoded);
    return {};
  }
  if (text.startsWith(QLatin1String(kDatePrefix))) {
    bool ok = false;
    const double seconds = text.mid(5).toDouble(&ok);
    if (ok && std::isfinite(seconds)) return Value(Date{seconds});
    return {};
  }
  return Value(text);
}
}  // namespace

UserDefaults::UserDefaults() : UserDefaults(standardSettingsPath()) {}

UserDefaults::UserDefaults(const QString& settingsPath)
    : settings_(std::make_unique<QSettings>(settingsPath, QSettings::IniFormat)) {}

UserDefaults& UserDefaults::standardUserDefaults() {
  static UserDefaults defaults;
  return defaults;
}

QString UserDefaults::standardSettingsPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Quorlith/Quorlith.conf");
}

void UserDefaults::registerDefaults(const DictRef& defaults) {
  if (!defaults) return;
  for (const auto& [key, value] : defaults->entries()) {
    registered_->setValue(key, value);
    Q_EMIT valueChanged(key);
  }
}

Value UserDefaults::storedAs(const QString& key, Value::Type type) const {
  const QVariant raw = settings_->value(key);
  if (!raw.isValid()) return {};
  // The INI store gives back text for scalars; a list or map under a scalar key is damage.
  if (raw.typeId() != QMetaType::QString && raw.typeId() != QMetaType::QByteArray) return {};
  const QString text = raw.toString();
  bool ok = false;
  switch (type) {
    case Value::Type::Boolean:
      if (auto b = parseBool(text)) return Value::boolean(*b);
      return {};
    case Value::Type::Integer:
    case Value::Type::Unsigned: {
      const qint64 v = text.trimmed().toLongLong(&ok);
      return ok ? Value::integer(v) : Value();
    }
    case Value::Type::Double: {
      const double v = text.trimmed().toDouble(&ok);
      return ok && std::isfinite(v) ? Value::real(v) : Value();
    }
    case Value::Type::String:
      return Value(text);
    case Value::Type::Data: {
      const Value tagged = readTagged(text);
      return tagged.isData() ? tagged : Value();
    }
    case Value::Type::Date: {
      const Value tagged = readTagged(text);
      return tagged.isDate() ? tagged : Value();
    }
    default:
      // A flag stored without a registered default still reads back as a flag.
      if (text == u"true" || text == u"false") return Value::boolean(text == u"true");
      return readTagged(text);
  }
}

Value UserDefaults::objectForKey(const QString& key) const {
  const Value& registered = registered_->value(key);
  if (registered.isAbsent()) return storedAs(key, Value::Type::Absent);
  Value stored = storedAs(key, registered.type());
  return stored.isAbsent() ? registered : stored;
}

bool UserDefaults::boolForKey(const QString& key) const {
  const Value v = objectForKey(key);
  if (v.isString()) return parseBool(*v.stringPointer()).value_or(false);
  return v.toBool(false);
}

qint64 UserDefaults::integerForKey(const QString& key) const {
  const Value v = objectForKey(key);
  if (v.isString()) return v.stringPointer()->trimmed().toLongLong();
  return v.toInteger(0);
}

double UserDefaults::doubleForKey(const QString& key) const {
  const Value v = objectForKey(key);
  if (v.isString()) {
    bool ok = false;
    const double d = v.stringPointer()->trimmed().toDouble(&ok);
    return ok && std::isfinite(d) ? d : 0.0;
  }
  return v.toDouble(0.0);
}

QString UserDefaults::stringForKey(const QString& key) const {
  const Value v = objectForKey(key);
  if (v.isString()) return *v.stringPointer();
  if (v.isNumber() && !v.isAbsent()) return v.toString();
  return {};
}

QByteArray UserDefaults::dataForKey(const QString& key) const {
  const Value v = objectForKey(key);
  return v.isData() ? v.toData() : QByteArray();
}

std::optional<Date> UserDefaults::dateForKey(const QString& key) const {
  const Value v = objectForKey(key);
  if (!v.isDate()) return std::nullopt;
  return v.toDate();
}

void UserDefaults::setObject(const QString& key, const Value& value) {
  switch (value.type()) {
    case Value::Type::Absent:
      write(key, {});
      return;
    case Value::Type::Boolean:
      write(key, value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
      return;
    case Value::Type::Integer:
      write(key, QString::number(value.toInteger()));
      return;
    case Value::Type::Unsigned:
      write(key, QString::number(value.toUnsigned()));
      return;
    case Value::Type::Double:
      write(key, QString::number(value.toDouble(), 'g', 17));
      return;
    case Value::Type::String:
      write(key, value.toString());
      return;
    case Value::Type::Data:
      write(key, QString::fromLatin1(kDataPrefix) + QString::fromLatin1(value.toData().toBase64()));
      return;
    case Value::Type::Date:
      write(key, QString::fromLatin1(kDatePrefix) +
                     QString::number(value.toDate().sinceReferenceDate, 'g', 17));
      return;
    default:
      return;  // lists, dictionaries and rectangles are not settings of this application
  }
}

void UserDefaults::removeObjectForKey(const QString& key) { write(key, {}); }

void UserDefaults::write(const QString& key, const QVariant& raw) {
  const QVariant before = settings_->value(key);
  if (raw.isValid())
    settings_->setValue(key, raw);
  else
    settings_->remove(key);
  if (before != raw) Q_EMIT valueChanged(key);
}

void UserDefaults::synchronize() { settings_->sync(); }
