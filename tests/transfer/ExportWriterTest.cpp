#include <gtest/gtest.h>

#include <QDateTime>

#include "transfer/ExportWriter.h"
#include "vault/VaultKeys.h"

namespace {
DictRef field(const char* title, const char* keyPath) {
  auto entry = Dictionary::create();
  entry->setValue(QStringLiteral("publicKey"), QString::fromUtf8(title));
  entry->setValue(QStringLiteral("innerKey"), QString::fromUtf8(keyPath));
  return entry;
}

DictRef category(const QString& title) {
  auto c = Dictionary::create();
  c->setValue(CategoryKeys::category(), title);
  return c;
}

// Two records whose values hold what each format must take care of; the second has no
// category.
std::vector<DictRef> hardRecords() {
  auto first = Dictionary::create();
  first->setValue(RecordKeys::categoryPtr(), category(QStringLiteral("Bank")));
  first->setValue(RecordKeys::name(), QStringLiteral("Tab\there"));
  first->setValue(RecordKeys::account(), QStringLiteral("line1\r\nline2"));
  first->setValue(RecordKeys::password(), QStringLiteral("=1,\"2\";3"));
  first->setValue(RecordKeys::pin(), QString());
  first->setValue(RecordKeys::security(), QStringLiteral("<&>"));
  first->setValue(RecordKeys::note(), QStringLiteral("Zoë \rnext"));
  auto second = Dictionary::create();
  second->setValue(RecordKeys::name(), QStringLiteral("Plain"));
  second->setValue(RecordKeys::account(), QString());
  second->setValue(RecordKeys::password(), QStringLiteral("p w"));
  second->setValue(RecordKeys::pin(), QStringLiteral("42"));
  second->setValue(RecordKeys::note(), QStringLiteral("a \n b"));
  return {first, second};
}

std::vector<DictRef> hardFields() {
  return {field("Category", "categoryPtr.cat_category"),
          field("Name", "name"),
          field("Account", "account"),
          field("Password", "password"),
          field("Pin", "pin"),
          field("Security", "security"),
          field("Note", "note")};
}

ExportWriter::Settings settings(qint32 format, bool header = true,
                                ExportCustomStrings custom = {}) {
  return {format, header, std::move(custom)};
}

TEST(ExportWriterTest, EachFormatWritesTheHardValuesAsItShould) {
  const QString htmlRows = QStringLiteral(
      "<tr><td>Category</td><td>Name</td><td>Account</td><td>Password</td>"
      "<td>Pin</td><td>Security</td><td>Note</td></tr>"
      "<tr><td>Bank</td><td>Tab\there</td><td>line1\r\nline2</td>"
      "<td>=1,&quot;2&quot;;3</td><td></td><td>&lt;&amp;&gt;</td>"
      "<td>Zoë \rnext</td></tr>"
      "<tr><td></td><td>Plain</td><td></td><td>p w</td><td>42</td><td></td>"
      "<td>a \n b</td></tr>");
  ExportCustomStrings custom{QStringLiteral("BEGIN\\n"), QStringLiteral("END"), QStringLiteral("["),
                             QStringLiteral("]\\n"),     QStringLiteral("{"),   QStringLiteral("}"),
                             QStringLiteral("\\t|\\x"),  QStringLiteral("NO")};
  const struct {
    qint32 format;
    QString expected;
  } cases[] = {
      {ExportFileFormat::TSV,
       QStringLiteral("Category\tName\tAccount\tPassword\tPin\tSecurity\tNote\n"
                      "Bank\tTab here\tline1 line2\t=1,\"2\";3\t\t<&>\tZoë next\n"
                      "\tPlain\t\tp w\t42\t\ta  b")},
      {ExportFileFormat::QuotedCSV,
       QStringLiteral("\"Category\",\"Name\",\"Account\",\"Password\",\"Pin\",\"Security\","
                      "\"Note\"\n"
                      "\"Bank\",\"Tab\there\",\"line1\nline2\",\"=1,\"\"2\"\";3\",\"\",\"<&>\","
                      "\"Zoë \nnext\"\n"
                      "\"\",\"Plain\",\"\",\"p w\",\"42\",\"\",\"a \n b\"")},
      {ExportFileFormat::PlainCSV,
       QStringLiteral("Category,Name,Account,Password,Pin,Security,Note\n"
                      "Bank,Tab\there,\"line1\nline2\",\"=1,\"\"2\"\";3\",,<&>,\"Zoë \nnext\"\n"
                      ",Plain,,p w,42,,\"a \n b\"")},
      {ExportFileFormat::HTMLTable,
       QStringLiteral("<table>") + htmlRows + QLatin1String("</table>")},
      {ExportFileFormat::HTMLPage,
       QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body><table>") +
           htmlRows + QLatin1String("</table></body></html>")},
      // The user's texts, escapes expanded; values as they are.
      {ExportFileFormat::Custom,
       QStringLiteral("BEGIN\n[{Category}\t|\\x{Name}\t|\\x{Account}\t|\\x{Password}\t|\\x{Pin}"
                      "\t|\\x{Security}\t|\\x{Note}]\n"
                      "[{Bank}\t|\\x{Tab\there}\t|\\x{line1\r\nline2}\t|\\x{=1,\"2\";3}\t|\\x{}"
                      "\t|\\x{<&>}\t|\\x{Zoë \rnext}]\n"
                      "[{}\t|\\x{Plain}\t|\\x{}\t|\\x{p w}\t|\\x{42}\t|\\x{}\t|\\x{a \n b}END")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExportWriter::text(hardRecords(), hardFields(), settings(c.format, true, custom)),
              c.expected)
        << "format " << c.format << ": "
        << ExportWriter::text(hardRecords(), hardFields(), settings(c.format, true, custom))
               .toStdString();
}

TEST(ExportWriterTest, RowEndsFollowTheEndOfRecordAfterLastSetting) {
  const std::vector<DictRef> fields = {field("Name", "name"), field("Password", "password")};
  auto record = [](const char* name) {
    auto r = Dictionary::create();
    r->setValue(RecordKeys::name(), QString::fromUtf8(name));
    r->setValue(RecordKeys::password(), QStringLiteral("pw"));
    return r;
  };
  const std::vector<DictRef> two = {record("a"), record("b")};
  const std::vector<DictRef> three = {record("a"), record("b"), record("c")};
  const struct {
    const char* what;
    std::vector<DictRef> records, fields;
    ExportWriter::Settings settings;
    QString expected;
  } cases[] = {
      {"a header row and two lines, the last without its line feed", two, fields,
       settings(ExportFileFormat::TSV), QStringLiteral("Name\tPassword\na\tpw\nb\tpw")},
      {"an HTML table is one line, each row closed", two, fields,
       settings(ExportFileFormat::HTMLTable),
       QStringLiteral("<table><tr><td>Name</td><td>Password</td></tr><tr><td>a</td><td>pw</td>"
                      "</tr><tr><td>b</td><td>pw</td></tr></table>")},
      {"a header without records gets no line end",
       {},
       fields,
       settings(ExportFileFormat::TSV),
       QStringLiteral("Name\tPassword")},
      {"a header without records in HTML is still closed",
       {},
       fields,
       settings(ExportFileFormat::HTMLTable),
       QStringLiteral("<table><tr><td>Name</td><td>Password</td></tr></table>")},
      {"no fields: records are still rows",
       three,
       {},
       settings(ExportFileFormat::TSV, false),
       QStringLiteral("\n\n")},
      {"no records, no header: nothing",
       {},
       fields,
       settings(ExportFileFormat::QuotedCSV, false),
       QString()},
      {"custom with its end after the last one too",
       two,
       {field("Name", "name")},
       settings(ExportFileFormat::Custom, false,
                {{}, {}, {}, QStringLiteral("\\n"), {}, {}, {}, QStringLiteral("YES")}),
       QStringLiteral("a\nb\n")},
      {"an unknown format has no texts of its own", two, fields, settings(9, false),
       QStringLiteral("apwbpw")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExportWriter::text(c.records, c.fields, c.settings), c.expected) << c.what;
}

TEST(ExportWriterTest, TabSeparatedValuesStayOnTheirLineAndColumn) {
  const struct {
    QString value, expected;
  } cases[] = {
      {QStringLiteral("one \n two"), QStringLiteral("one  two")},
      {QStringLiteral("a\tb"), QStringLiteral("a b")},
      {QStringLiteral("a \t b"), QStringLiteral("a  b")},
      {QStringLiteral("a\r\n\r\nb"), QStringLiteral("a  b")},
      {QStringLiteral("\tx\n"), QStringLiteral(" x ")},
      // Past the room guessed for one record: the text moves to a larger block whole.
      {QString(5000, u'x') + QStringLiteral("\ty"), QString(5000, u'x') + QStringLiteral(" y")},
  };
  for (const auto& c : cases) {
    auto record = Dictionary::create();
    record->setValue(RecordKeys::note(), c.value);
    EXPECT_EQ(ExportWriter::text({record}, {field("Note", "note")},
                                 settings(ExportFileFormat::TSV, false)),
              c.expected);
  }
}

TEST(ExportWriterTest, NumbersAndDatesAreWrittenAsText) {
  auto record = Dictionary::create();
  record->setValue(RecordKeys::usageCount(), Value::integer(7));
  record->setValue(QStringLiteral("ratio"), Value::real(0.25));
  record->setValue(RecordKeys::creationDate(),
                   Date::fromDateTime(QDateTime(QDate(2024, 3, 5), QTime(12, 0))));
  record->setValue(QStringLiteral("blob"), Value::data(QByteArray("x")));
  const QString text = ExportWriter::text(
      {record},
      {field("Uses", "usageCount"), field("Ratio", "ratio"), field("Created", "creationDate"),
       field("Blob", "blob"), field("Missing", "nothing.here")},
      settings(ExportFileFormat::TSV, false), QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(text, QStringLiteral("7\t0.25\t3/5/24\t\t"));
}

TEST(ExportWriterTest, EscapesAndYesOrNoReadAsTyped) {
  const struct {
    QString typed, expanded;
  } escapes[] = {
      {QStringLiteral("\\n"), QStringLiteral("\n")},
      {QStringLiteral("a\\tb\\n"), QStringLiteral("a\tb\n")},
      {QStringLiteral("\\N\\T\\r\\x\\"), QStringLiteral("\\N\\T\\r\\x\\")},
      {QStringLiteral("\\\\n"), QStringLiteral("\\\n")},
  };
  for (const auto& c : escapes) EXPECT_EQ(ExportWriter::expandEscapes(c.typed), c.expanded);

  const struct {
    const char* text;
    bool yes;
  } answers[] = {{"YES", true}, {"NO", false},  {"", false},   {"  +007", true}, {"0", false},
                 {"-0y", true}, {"true", true}, {" x", false}, {"00", false},    {"T", true}};
  for (const auto& c : answers)
    EXPECT_EQ(ExportWriter::boolValue(QString::fromLatin1(c.text)), c.yes) << c.text;
}
}  // namespace
