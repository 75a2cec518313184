#include "Common/ZVDateTagElaborated.h"

#include <QDateTime>

#include "Common/TransformerInput.h"
#include "platform/Clock.h"
#include "platform/Date.h"

using namespace TransformerInput;

QString ZVDateTagElaborated::elaborate(const QString& pattern, const QDateTime& when) {
  const QDate day = when.date();
  const QTime time = when.time();
  const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
  QString out = pattern;
  out.replace(QStringLiteral("<yy>"), two(day.year() % 100));
  out.replace(QStringLiteral("<YY>"), QString::number(day.year()));
  out.replace(QStringLiteral("<mm>"), two(day.month()));
  out.replace(QStringLiteral("<dd>"), two(day.day()));
  out.replace(QStringLiteral("<hh>"), two(time.hour()));
  out.replace(QStringLiteral("<ii>"), two(time.minute()));
  out.replace(QStringLiteral("<ss>"), two(time.second()));
  return out;
}

QVariant ZVDateTagElaborated::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  if (v.isAbsent()) return QVariant::fromValue(Value(QString()));
  return QVariant::fromValue(Value(elaborate(textOf(v), Clock::now().toDateTime().toLocalTime())));
}

QMetaType ZVDateTagElaborated::transformedValueClass() const {
  return QMetaType::fromType<Value>();
}
