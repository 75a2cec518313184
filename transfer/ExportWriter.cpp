#include "transfer/ExportWriter.h"

#include <algorithm>

#include "platform/KeyPath.h"
#include "platform/crypto/SecureMemory.h"

using namespace Qt::StringLiterals;

namespace {
// The texts around and between values in one format.
struct Frame {
  QString startOfFile, endOfFile, startOfRecord, endOfRecord, fieldOpen, fieldClose, separator;
  bool endOfRecordAfterLast = false;
};

Frame frameFor(const ExportWriter::Settings& settings) {
  const qint32 format = settings.format;
  if (format < ExportFileFormat::Custom || format > ExportFileFormat::PlainCSV) return {};
  // The built-in formats write their presets; the custom one the user's texts.
  const ExportCustomStrings& c =
      format == ExportFileFormat::Custom ? settings.custom : ExportWriter::presetFor(format);
  return {ExportWriter::expandEscapes(c.start_of_file),
          ExportWriter::expandEscapes(c.end_of_file),
          ExportWriter::expandEscapes(c.start_of_record),
          ExportWriter::expandEscapes(c.end_of_record),
          ExportWriter::expandEscapes(c.field_open_tag),
          ExportWriter::expandEscapes(c.field_close_tag),
          ExportWriter::expandEscapes(c.field_separator),
          ExportWriter::boolValue(c.use_end_of_record_in_last_record)};
}

// The text being built: it holds secrets, so when it outgrows its block it moves to a larger
// one by hand and wipes the old one, which growing in place would let go of unwiped.
class SecretText {
 public:
  explicit SecretText(qsizetype capacity) { text_.reserve(capacity); }
  SecretText& operator+=(QStringView piece) {
    makeRoom(piece.size());
    text_.append(piece.data(), piece.size());
    return *this;
  }
  SecretText& operator+=(QLatin1StringView piece) {
    makeRoom(piece.size());
    text_.append(piece);
    return *this;
  }
  SecretText& operator+=(QChar c) {
    makeRoom(1);
    text_.append(c);
    return *this;
  }
  QString take() { return std::move(text_); }

 private:
  void makeRoom(qsizetype more) {
    const qsizetype needed = text_.size() + more;
    if (needed <= text_.capacity()) return;
    QString larger;
    larger.reserve(std::max(needed, text_.capacity() * 2));
    larger.append(text_);
    SecureMemory::wipe(text_);
    text_ = std::move(larger);
  }

  QString text_;
};

// Whether the text holds any of the ASCII characters named; one pass, no call per character.
bool holdsAny(QStringView text, QLatin1StringView characters) {
  bool wanted[128] = {};
  for (char c : characters) wanted[uchar(c)] = true;
  for (QChar c : text)
    if (c.unicode() < 128 && wanted[c.unicode()]) return true;
  return false;
}

void replaceAll(QString& text, QStringView from, QStringView to) {
  text.replace(from.data(), from.size(), to.data(), to.size());
}

// One value as the format writes it, appended to out. Values without the characters a
// format minds, nearly all of them, are appended as they are.
void appendEncoded(SecretText& out, QStringView value, qint32 format) {
  switch (format) {
    case ExportFileFormat::TSV: {
      if (!holdsAny(value, "\t\r\n"_L1)) break;
      // A value stays on its line and in its column.
      QString v = value.toString();
      for (auto [from, to] : {std::pair{u" \t", u" "},
                              {u"\t ", u" "},
                              {u"\t", u" "},
                              {u"\r\n", u"\n"},
                              {u"\r", u"\n"},
                              {u" \n", u" "},
                              {u"\n ", u" "},
                              {u"\n", u" "}})
        replaceAll(v, from, to);
      out += v;
      SecureMemory::wipe(v);
      return;
    }
    case ExportFileFormat::QuotedCSV:
    case ExportFileFormat::PlainCSV: {
      // RFC 4180: quotes inside a quoted value are doubled; line breaks stay inside it.
      const bool quoted = format == ExportFileFormat::QuotedCSV;
      if (!holdsAny(value, quoted ? "\"\r"_L1 : "\",\r\n"_L1)) break;
      QString v = value.toString();
      replaceAll(v, u"\r\n", u"\n");
      replaceAll(v, u"\r", u"\n");
      replaceAll(v, u"\"", u"\"\"");
      if (!quoted) out += u'"';
      out += v;
      if (!quoted) out += u'"';
      SecureMemory::wipe(v);
      return;
    }
    case ExportFileFormat::HTMLTable:
    case ExportFileFormat::HTMLPage:
      if (!holdsAny(value, "&<>\""_L1)) break;
      for (QChar c : value) {
        switch (c.unicode()) {
          case u'&':
            out += "&amp;"_L1;
            break;
          case u'<':
            out += "&lt;"_L1;
            break;
          case u'>':
            out += "&gt;"_L1;
            break;
          case u'"':
            out += "&quot;"_L1;
            break;
          default:
            out += c;
        }
      }
      return;
  }
  out += value;
}

// A record's value at the key path as text: strings as they are, numbers in plain decimals,
// dates in the short date format; anything else is empty.
QString valueText(const Value& value, const QLocale& locale) {
  switch (value.type()) {
    case Value::Type::Integer:
    case Value::Type::Boolean:
      return QString::number(value.toInteger());
    case Value::Type::Unsigned:
      return QString::number(value.toUnsigned());
    case Value::Type::Double:
      return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case Value::Type::Date:
      return locale.toString(value.toDate().toDateTime().toLocalTime().date(),
                             QLocale::ShortFormat);
    default:
      return {};
  }
}
}  // namespace

ExportCustomStrings ExportWriter::presetFor(qint32 format) {
  const QString lf = QStringLiteral("\\n"), no = QStringLiteral("NO"), yes = QStringLiteral("YES");
  switch (format) {
    case ExportFileFormat::TSV:
      return {{}, {}, {}, lf, {}, {}, QStringLiteral("\\t"), no};
    case ExportFileFormat::QuotedCSV:
      return {{}, {}, {}, lf, QStringLiteral("\""), QStringLiteral("\""), QStringLiteral(","), no};
    case ExportFileFormat::HTMLTable:
      return {QStringLiteral("<table>"),
              QStringLiteral("</table>"),
              QStringLiteral("<tr>"),
              QStringLiteral("</tr>"),
              QStringLiteral("<td>"),
              QStringLiteral("</td>"),
              {},
              yes};
    case ExportFileFormat::HTMLPage:
      // The page says its encoding, so browsers do not guess at accented letters.
      return {QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head>"
                             "<body><table>"),
              QStringLiteral("</table></body></html>"),
              QStringLiteral("<tr>"),
              QStringLiteral("</tr>"),
              QStringLiteral("<td>"),
              QStringLiteral("</td>"),
              {},
              yes};
    case ExportFileFormat::PlainCSV:
      return {{}, {}, {}, lf, {}, {}, QStringLiteral(","), no};
    default:
      return {{}, {}, {}, {}, {}, {}, {}, yes};
  }
}

QString ExportWriter::expandEscapes(const QString& typed) {
  QString text = typed;
  text.replace(QLatin1String("\\n"), QLatin1String("\n"));
  text.replace(QLatin1String("\\t"), QLatin1String("\t"));
  return text;
}

bool ExportWriter::boolValue(QStringView text) {
  qsizetype i = 0;
  while (i < text.size() && text[i].isSpace()) ++i;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
  while (i < text.size() && text[i] == u'0') ++i;
  if (i == text.size()) return false;
  const QChar c = text[i];
  return c == u'Y' || c == u'y' || c == u'T' || c == u't' || (c >= u'1' && c <= u'9');
}

QString ExportWriter::text(const std::vector<DictRef>& records, const std::vector<DictRef>& fields,
                           const Settings& settings, const QLocale& locale) {
  const Frame frame = frameFor(settings);
  const qint32 format = settings.format;
  std::vector<QString> titles, keyPaths;
  for (const DictRef& field : fields) {
    titles.push_back(field ? field->value(u"publicKey").toString() : QString());
    keyPaths.push_back(field ? field->value(u"innerKey").toString() : QString());
  }
  const std::size_t k = fields.size();
  const auto appendRow = [&](SecretText& out, auto&& appendField) {
    out += frame.startOfRecord;
    for (std::size_t f = 0; f < k; ++f) {
      out += frame.fieldOpen;
      appendField(f);
      out += frame.fieldClose;
      if (f + 1 < k) out += frame.separator;
    }
  };

  // A guess at the size, so the text grows a few times rather than at every record.
  SecretText out(qsizetype(records.size() * (k * 16 + 2) + 256));
  out += frame.startOfFile;
  if (settings.useFieldNamesAsFirstRow) {
    appendRow(out, [&](std::size_t f) { appendEncoded(out, titles[f], format); });
    if (frame.endOfRecordAfterLast || !records.empty()) out += frame.endOfRecord;
  }
  for (std::size_t r = 0; r < records.size(); ++r) {
    const Dictionary* record = records[r].get();
    appendRow(out, [&](std::size_t f) {
      if (!record) return;
      const Value value = KeyPath::valueForKeyPath(*record, keyPaths[f]);
      if (const QString* s = value.stringPointer()) {
        appendEncoded(out, *s, format);
        return;
      }
      QString converted = valueText(value, locale);
      appendEncoded(out, converted, format);
    });
    if (frame.endOfRecordAfterLast || r + 1 < records.size()) out += frame.endOfRecord;
  }
  out += frame.endOfFile;
  return out.take();
}
