#include "vault/LegacyRebuilder.h"

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>

#include "Common/ZVColorUtilOSX.h"
#include "platform/Dictionary.h"
#include "platform/archive/ColorUnarchiver.h"
#include "vault/FilteringArrayController.h"
#include "vault/VaultKeys.h"
#include "vault/ZVColoredCategoryArrayController.h"
#include "vault/ZVCrypto.h"

namespace {
using Path = VaultFormat::Path;

enum class Kind { Text, Integer, Colour, Date };

struct Field {
  const char* key;
  Kind kind;
  bool kept = true;  // false: decrypted (it may fail the attempt), then dropped
};

// The groups' stored fields, in the order the old releases wrote (and must be read).
struct Layout {
  std::vector<Field> category;
  std::vector<Field> record;
};

const Field kTitle{"cat_category", Kind::Text};
const Field kCatID{"cat_uniqueID", Kind::Integer, false};
const Field kBack{"cat_backColor", Kind::Colour};
const Field kText{"cat_textColor", Kind::Colour};
const Field kMark{"cat_mark", Kind::Text, false};
const Field kRecordCategory{"category", Kind::Text, false};  // leads to the category
const Field kAccount{"account", Kind::Text};
const Field kName{"name", Kind::Text};
const Field kNote{"note", Kind::Text};
const Field kPassword{"password", Kind::Text};
const Field kUrl{"url", Kind::Text};
const Field kEmail{"email", Kind::Text};
const Field kUserID{"userID", Kind::Text};
const Field kCreated{"creationDate", Kind::Date};
const Field kModified{"modificationDate", Kind::Date};
const Field kUsage{"usageCount", Kind::Integer};

const Layout& layoutOf(Path path) {
  static const Layout l1000{{}, {kAccount, kName, kNote, kPassword, kUrl}};
  static const Layout l2000{{kTitle}, {kRecordCategory, kAccount, kName, kNote, kPassword, kUrl}};
  static const Layout l2100{{kTitle, kCatID, kBack, kText, kMark},
                            {kRecordCategory, kCatID, kAccount, kName, kNote, kPassword, kUrl}};
  static const Layout l2200{
      {kTitle, kCatID, kBack, kText, kMark},
      {kRecordCategory, kCatID, kAccount, kName, kNote, kPassword, kUrl, kEmail}};
  static const Layout l2400{
      {kTitle, kCatID, kMark, kBack, kText},
      {kRecordCategory, kCatID, kAccount, kName, kNote, kPassword, kUrl, kEmail, kUserID}};
  static const Layout l20900{{kTitle, kCatID, kBack, kText, kMark},
                             {kRecordCategory, kCatID, kAccount, kName, kNote, kPassword, kUrl,
                              kEmail, kUserID, kCreated, kModified}};
  static const Layout l21100{{kTitle, kBack, kText},
                             {kRecordCategory, kAccount, kName, kNote, kPassword, kUrl, kEmail,
                              kUserID, kCreated, kModified, kUsage}};
  switch (path) {
    case Path::Legacy1000:
      return l1000;
    case Path::Legacy2000:
      return l2000;
    case Path::Legacy2100:
      return l2100;
    case Path::Legacy2200:
      return l2200;
    case Path::Legacy2400:
      return l2400;
    case Path::Legacy20900:
      return l20900;
    default:
      return l21100;
  }
}

// One decrypted field; absent for a date text that gives no date, and for a colour that
// cannot be read (the category keeps its default colour then).
Value decryptField(const ZVCrypto& engine, const Dictionary& stored, const Field& field,
                   std::int32_t* code) {
  const Value& held = stored.value(QString::fromLatin1(field.key));
  if (!held.isAbsent() && !held.isData()) {
    *code = LegacyRebuilder::kNotStoredAsCipherText;
    return {};
  }
  const QByteArray cipherText = held.toData();
  switch (field.kind) {
    case Kind::Text:
      return engine.decryptToString(cipherText, code).value_or(QString());
    case Kind::Integer:
      return Value::integer(engine.decryptToLong(cipherText, code));
    case Kind::Date: {
      const std::optional<Date> date = LegacyRebuilder::dateFromText(
          engine.decryptToString(cipherText, code).value_or(QString()));
      return date ? Value(*date) : Value();
    }
    case Kind::Colour: {
      std::optional<QByteArray> plain = engine.decryptToData(cipherText, code);
      if (!plain || *code != 0) return {};
      Result<ArchivedColor> color = ColorUnarchiver::unarchiveObjectWithData(*plain);
      return color ? Value(ZVColorUtilOSX::dictFromNSColor(color.value().color)) : Value();
    }
  }
  return {};
}

// Decrypts every field of one stored entry in the layout's order; stops at the first failure.
std::int32_t decryptEntry(const ZVCrypto& engine, const Value& entry,
                          const std::vector<Field>& fields, DictRef& out) {
  const Dictionary* stored = entry.dictionaryPointer();
  if (!stored) return LegacyRebuilder::kNotStoredAsCipherText;  // not an entry at all
  out = Dictionary::create();
  for (const Field& field : fields) {
    std::int32_t code = ZVCrypto::kSuccess;
    Value v = decryptField(engine, *stored, field, &code);
    if (code != ZVCrypto::kSuccess) {
      out.reset();
      return code;
    }
    out->setValue(QString::fromLatin1(field.key), std::move(v));
  }
  return ZVCrypto::kSuccess;
}

// The caller has checked that both are ASCII digits.
int twoDigits(const QString& t, int at) {
  return (t[at].unicode() - u'0') * 10 + (t[at + 1].unicode() - u'0');
}
}  // namespace

LegacyRebuilder::LegacyRebuilder(const ZVCrypto& engine, FilteringArrayController& records,
                                 ZVColoredCategoryArrayController& categories)
    : engine_(engine), records_(records), categories_(categories) {}

std::optional<Date> LegacyRebuilder::dateFromText(const QString& t) {
  // yyyy-MM-dd HH:mm:ss ±HHmm
  static const char kLayout[] = "dddd-dd-dd dd:dd:dd sdddd";
  if (t.size() != qsizetype(sizeof kLayout) - 1) return std::nullopt;
  for (qsizetype i = 0; i < t.size(); ++i) {
    const char want = kLayout[i];
    const char16_t c = t[i].unicode();
    const bool ok = want == 'd'   ? (c >= '0' && c <= '9')
                    : want == 's' ? (c == '+' || c == '-')
                                  : c == char16_t(want);
    if (!ok) return std::nullopt;
  }
  const int year = twoDigits(t, 0) * 100 + twoDigits(t, 2);
  const QDate day(year, twoDigits(t, 5), twoDigits(t, 8));
  const int hour = twoDigits(t, 11), minute = twoDigits(t, 14), second = twoDigits(t, 17);
  const int offsetHours = twoDigits(t, 21), offsetMinutes = twoDigits(t, 23);
  if (!day.isValid() || hour > 23 || minute > 59 || second > 59 || offsetHours > 23 ||
      offsetMinutes > 59)
    return std::nullopt;
  const int offset = (t[20] == u'-' ? -1 : 1) * (offsetHours * 3600 + offsetMinutes * 60);
  const QDateTime moment(day, QTime(hour, minute, second), QTimeZone(offset));
  if (!moment.isValid()) return std::nullopt;
  return Date::fromDateTime(moment);
}

std::int32_t LegacyRebuilder::rebuild(Path path, const ArrayRef& encryptedRecords,
                                      const ArrayRef& encryptedCategories) {
  if (const std::int32_t code = rebuildCategories(path, encryptedCategories)) return code;
  if (path == Path::Legacy1000 && (!encryptedRecords || encryptedRecords->isEmpty())) return 0;
  return rebuildRecords(path, encryptedRecords);
}

std::int32_t LegacyRebuilder::rebuildCategories(Path path, const ArrayRef& encrypted) {
  if (path == Path::Legacy1000) {
    categories_.addObject(categories_.newObject());  // the one category, "Generic"
    return 0;
  }
  if (!encrypted) return 0;
  const bool coloured = path != Path::Legacy2000;
  for (const Value& entry : encrypted->values()) {
    DictRef fields;
    if (const std::int32_t code = decryptEntry(engine_, entry, layoutOf(path).category, fields))
      return code;
    const DictRef category = categories_.newObject();
    category->setValue(CategoryKeys::category(), fields->value(CategoryKeys::category()));
    if (coloured)
      for (const QString& key : {CategoryKeys::backColor(), CategoryKeys::textColor()})
        if (const Value& color = fields->value(key); color.isDictionary())
          category->setValue(key, color);
    categories_.addObject(category);
  }
  return 0;
}

DictRef LegacyRebuilder::categoryForUnknownTitle() {
  if (DictRef last = categories_.getLastCategory()) return last;
  return categories_.addDefault();
}

std::int32_t LegacyRebuilder::rebuildRecords(Path path, const ArrayRef& encrypted) {
  if (!encrypted) return 0;
  const Layout& layout = layoutOf(path);
  for (const Value& entry : encrypted->values()) {
    DictRef fields;
    if (const std::int32_t code = decryptEntry(engine_, entry, layout.record, fields)) return code;
    const DictRef record = records_.newObject();
    for (const Field& field : layout.record) {
      if (!field.kept) continue;
      const QString key = QString::fromLatin1(field.key);
      record->setValue(key, fields->value(key));  // a date text without a date removes it
    }
    if (path != Path::Legacy1000) {
      // A title that names no category: the category of a record added to an unlocked list
      // with nothing selected, never the category of the record rebuilt before it.
      DictRef category = categories_.categoryWithTitle(fields->value(u"category").toString());
      if (!category) category = categoryForUnknownTitle();
      record->setValue(RecordKeys::categoryPtr(), category);
    }
    records_.addObject(record);
  }
  return 0;
}
