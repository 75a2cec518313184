#include <gtest/gtest.h>

#include "transfer/DelimitedTextParser.h"

namespace {
using Parser = DelimitedTextParser;
using Rows = std::vector<std::vector<std::string>>;

Rows rowsOf(const ImportTable& table) {
  Rows rows;
  for (qsizetype r = 0; r < table.rowCount(); ++r) {
    std::vector<std::string> fields;
    for (qsizetype c = 0; c < table.fieldCount(r); ++c)
      fields.push_back(table.field(r, c).toString().toStdString());
    rows.push_back(fields);
  }
  return rows;
}

struct ParseCase {
  const char* what;
  const char16_t* text;
  qint32 format;
  Rows rows;
  qsizetype width;
};

TEST(DelimitedTextParserTest, SplitsRowsByTheirSeparatorsRules) {
  const ParseCase cases[] = {
      {"trailing separator", u"a,b,", Parser::Comma, {{"a", "b", ""}}, 3},
      {"separator alone", u",", Parser::Comma, {{"", ""}}, 2},
      {"quoted separator", u"\"x,y\",z", Parser::Comma, {{"x,y", "z"}}, 2},
      {"doubled quotes are one", u"\"say \"\"hi\"\"\",b", Parser::Comma, {{"say \"hi\"", "b"}}, 2},
      {"two quotes make an empty field", u"\"\",b", Parser::Comma, {{"", "b"}}, 2},
      {"quoted line break",
       u"a,\"one\ntwo\"\nb,c",
       Parser::Comma,
       {{"a", "one\ntwo"}, {"b", "c"}},
       2},
      {"quote inside a field is text", u"a b \"c, d", Parser::Comma, {{"a b \"c", " d"}}, 2},
      {"text after the closing quote stays", u"\"a\"b,c", Parser::Comma, {{"ab", "c"}}, 2},
      {"blank before the quote", u"a, \"b\"", Parser::Comma, {{"a", " \"b\""}}, 2},
      {"spaces kept", u" a , b ", Parser::Comma, {{" a ", " b "}}, 2},
      {"unclosed quote reads its line alone",
       u"a,\"b,c\nd,e",
       Parser::Comma,
       {{"a", "\"b,c"}, {"d", "e"}},
       2},
      {"lone quote at the end", u"a,\"", Parser::Comma, {{"a", "\""}}, 2},
      {"blank lines skipped", u"a\n   \n\nb\n", Parser::Comma, {{"a"}, {"b"}}, 1},
      {"tab is not blank", u"\t", Parser::Comma, {{"\t"}}, 1},
      {"semicolon keeps commas", u"1,5;\"x;y\";z", Parser::Semicolon, {{"1,5", "x;y", "z"}}, 3},
      {"tab keeps quotes", u"\"a\"\tb\t\t", Parser::Tab, {{"\"a\"", "b", "", ""}}, 4},
      {"tab blank line is a row", u"   \nx", Parser::Tab, {{"   "}, {"x"}}, 1},
      {"tab empty line widens only", u"a\tb\n\n", Parser::Tab, {{"a", "b"}}, 2},
      {"tab empty text", u"", Parser::Tab, {}, 1},
      {"comma empty text", u"", Parser::Comma, {}, 0},
      {"short rows not padded",
       u"a,b\nc,d,e,f,g\nh,i,j",
       Parser::Comma,
       {{"a", "b"}, {"c", "d", "e", "f", "g"}, {"h", "i", "j"}},
       5},
      {"unknown format", u"a,b", 9, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto parsed = Parser::parse(QString::fromUtf16(c.text), c.format);
    ASSERT_TRUE(parsed) << parsed.error().toStdString();
    EXPECT_EQ(rowsOf(parsed.value()), c.rows);
    EXPECT_EQ(parsed.value().mappingWidth(), c.width);
  }
}

TEST(DelimitedTextParserTest, DetectsTheSeparatorThatGivesTheLinesOneWidth) {
  const struct {
    const char16_t* text;
    Parser::Format expected;
  } cases[] = {
      {u"a,b\n", Parser::Comma},  // the empty last line counts for nothing
      {u"a,b\nc,d\n", Parser::Comma},
      {u"a;b;c\nd;e;f", Parser::Semicolon},
      {u"a,b;c\td", Parser::Tab},  // three fields each
      {u"a,b\nc;d", Parser::Tab},  // comma and semicolon tie above TAB
      {u"one\ntwo", Parser::Tab},  // one field for all
      {u"", Parser::Tab},
      {u"\"x,y,z\";b\n", Parser::Semicolon},  // quoted commas are not separators
      {u"n\t\"a,b\"\t2", Parser::Tab},
      {u"a,\"1\n2\n3\n4\",b", Parser::Comma},  // a quoted line break does not end the record
      {u"Name;Amount;Note\nx;1,5;y", Parser::Semicolon},  // decimal commas
      // The separator that gives the lines one number of fields, not the most separators.
      {u"Name;Note\nA;a, b, c", Parser::Semicolon},
      {u"Name;Note\nA;a, b, c\nB;d, e, f, g\n", Parser::Semicolon},
      {u"Name,Note\nA,x; y; z\nB,w", Parser::Comma},
      {u"Name\tNote\nA\ta, b, c\nB\td, e, f", Parser::Tab},
      {u"Name;Note\n\"A, B\";\"c;d, e, f\"\n", Parser::Semicolon},  // quotes respected
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
    EXPECT_EQ(Parser::detectSeparator(QString::fromUtf16(c.text)), c.expected);
  }
  auto parsed = Parser::parse(u"a,b\nc,d\n", Parser::Automatic);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(rowsOf(parsed.value()).size(), 2u);
}

TEST(DelimitedTextParserTest, RefusesFilesPastTheLimits) {
  QString wide = QStringLiteral("x");
  for (qsizetype i = 0; i < Parser::kMaxColumns; ++i) wide += QStringLiteral(",x");
  for (qint32 format : {Parser::Comma, Parser::Automatic}) {
    auto parsed = Parser::parse(wide, format);
    ASSERT_FALSE(parsed);
    EXPECT_EQ(parsed.failure().reason, ImportError::Reason::TooManyColumns);
    EXPECT_TRUE(parsed.error().contains(QStringLiteral("257 fields")))
        << parsed.error().toStdString();
  }
  wide.chop(2);  // exactly the limit
  ASSERT_TRUE(Parser::parse(wide, Parser::Comma));

  QString tall = QStringLiteral("x\n").repeated(Parser::kMaxRows + 1);
  auto parsed = Parser::parse(tall, Parser::Tab);
  ASSERT_FALSE(parsed);
  EXPECT_EQ(parsed.failure().reason, ImportError::Reason::TooManyRows);
  tall.chop(2);
  auto atLimit = Parser::parse(tall, Parser::Tab);
  ASSERT_TRUE(atLimit);
  EXPECT_EQ(atLimit.value().rowCount(), Parser::kMaxRows);
}

TEST(DelimitedTextParserTest, LineByLineReadingKeepsQuotesButTheEnclosingPair) {
  const struct {
    const char16_t* line;
    std::vector<std::string> fields;
  } cases[] = {
      {u"a,\"b,c\",d", {"a", "b,c", "d"}},
      {u"\"say \"\"hi\"\"\"", {"say \"\"hi\"\""}},
      {u"a, b \"c, d", {"a", " b \"c, d"}},
      {u"\"a\"b", {"\"a\"b"}},
      {u"\"", {"\""}},
      {u"   ", {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> fields;
    for (const QString& f : Parser::componentsOfCsvRow(QString::fromUtf16(c.line), u','))
      fields.push_back(f.toStdString());
    EXPECT_EQ(fields, c.fields) << QString::fromUtf16(c.line).toStdString();
  }
}
}  // namespace
