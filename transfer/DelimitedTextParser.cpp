#include "transfer/DelimitedTextParser.h"

#include <algorithm>
#include <map>
#include <optional>

namespace {
constexpr QChar kQuote = u'"';
constexpr QChar kTab = u'\t';

bool isBlank(QStringView line) {
  for (QChar c : line)
    if (c != u' ') return false;
  return true;
}

qsizetype lineEnd(QStringView text, qsizetype from) {
  const qsizetype end = text.indexOf(u'\n', from);
  return end < 0 ? text.size() : end;
}

// Walks comma or semicolon text record by record and hands each field to the sink:
// append(piece) adds to the open field, endField(), discardRow() drops the fields of a
// record whose quote never closes (it is then read line by line), and endRow() answers
// false to stop.
template <typename Sink>
void walkQuoted(QStringView text, QChar separator, Sink& sink) {
  const qsizetype n = text.size();
  qsizetype noQuoteFrom = n;  // once a quote is found unclosed, none follows it
  // One record from pos: the position of its end ('\n' or n), or none when a quote is
  // left open.
  const auto record = [&](qsizetype pos) -> std::optional<qsizetype> {
    qsizetype p = pos;
    for (;;) {
      if (p < n && text[p] == kQuote) {
        ++p;
        for (;;) {
          const qsizetype q = p < noQuoteFrom ? text.indexOf(kQuote, p) : -1;
          if (q < 0) {
            noQuoteFrom = std::min(noQuoteFrom, p);
            return std::nullopt;
          }
          sink.append(text.sliced(p, q - p));
          if (q + 1 < n && text[q + 1] == kQuote) {
            sink.append(text.sliced(q, 1));
            p = q + 2;
            continue;
          }
          p = q + 1;
          break;
        }
      }
      // Unquoted text, or what follows a closing quote, up to the separator.
      qsizetype r = p;
      while (r < n && text[r] != separator && text[r] != u'\n') ++r;
      sink.append(text.sliced(p, r - p));
      sink.endField();
      if (r < n && text[r] == separator) {
        p = r + 1;
        continue;
      }
      return r;
    }
  };

  qsizetype pos = 0;
  while (pos < n) {
    const qsizetype end = lineEnd(text, pos);
    if (isBlank(text.sliced(pos, end - pos))) {
      pos = end + 1;
      continue;
    }
    sink.beginRow();
    std::optional<qsizetype> recordEnd = record(pos);
    if (!recordEnd) {
      sink.discardRow();
      for (const QString& field :
           DelimitedTextParser::componentsOfCsvRow(text.sliced(pos, end - pos), separator)) {
        sink.append(field);
        sink.endField();
      }
      recordEnd = end;
    }
    if (!sink.endRow()) return;
    pos = *recordEnd + 1;
  }
}

// How many records have each number of fields, for detection.
class FieldCountTally {
 public:
  void beginRow() { rowFields_ = 0; }
  void append(QStringView) {}
  void endField() { ++rowFields_; }
  void discardRow() { rowFields_ = 0; }
  bool endRow() {
    add(rowFields_);
    return true;
  }
  void add(qint64 fields) {
    ++records_[fields];
    separators_ += fields - 1;
  }
  // The records that share the most usual number of fields above one.
  qint64 agreeing() const {
    qint64 most = 0;
    for (const auto& [fields, records] : records_)
      if (fields > 1) most = std::max(most, records);
    return most;
  }
  qint64 separators() const { return separators_; }

 private:
  std::map<qint64, qint64> records_;
  qint64 separators_ = 0;
  qint64 rowFields_ = 0;
};

ImportError tooManyColumns(qsizetype fields) {
  return {ImportError::Reason::TooManyColumns,
          QStringLiteral("A line of the file has %1 fields; at most %2 columns can be imported. "
                         "Check that the right separator is chosen.")
              .arg(fields)
              .arg(DelimitedTextParser::kMaxColumns)};
}

ImportError tooManyRows() {
  return {ImportError::Reason::TooManyRows,
          QStringLiteral("The file has more than %1 lines; split it into smaller files.")
              .arg(DelimitedTextParser::kMaxRows)};
}

// Builds the table, stopping at the first row past the limits.
class TableSink {
 public:
  explicit TableSink(qsizetype capacity) : builder_(capacity) {}
  void beginRow() {}
  void append(QStringView piece) { builder_.append(piece); }
  void endField() { builder_.endField(); }
  void discardRow() { builder_.discardOpenFields(); }
  bool endRow() { return add(builder_.openFields()); }
  // A row of that many fields ends; false (with the error set) past the limits.
  bool add(qsizetype fields) {
    builder_.widenMapping(fields);
    if (fields > DelimitedTextParser::kMaxColumns) {
      error = tooManyColumns(fields);
      return false;
    }
    if (fields == 0) return true;
    if (++rows_ > DelimitedTextParser::kMaxRows) {
      error = tooManyRows();
      return false;
    }
    builder_.endRow();
    return true;
  }

  ImportTableBuilder& builder() { return builder_; }
  std::optional<ImportError> error;

 private:
  ImportTableBuilder builder_;
  qsizetype rows_ = 0;
};

// TAB text: every line split on TAB, no quoting. Each line widens the mapping, an empty one
// to one column, but only non-empty lines become rows.
template <typename OnLine>
void walkTabLines(QStringView text, OnLine onLine) {
  qsizetype pos = 0;
  for (;;) {
    const qsizetype end = lineEnd(text, pos);
    if (!onLine(text.sliced(pos, end - pos))) return;
    if (end >= text.size()) return;
    pos = end + 1;
  }
}

Result<ImportTable, ImportError> parseTab(QStringView text) {
  TableSink sink(text.size());
  walkTabLines(text, [&](QStringView line) {
    const qsizetype fields = line.count(kTab) + 1;
    if (line.isEmpty()) {
      sink.builder().widenMapping(1);
      return true;
    }
    for (QStringView field : line.tokenize(kTab)) {
      sink.append(field);
      sink.endField();
    }
    return sink.add(fields);
  });
  if (sink.error) return *sink.error;
  return sink.builder().finish();
}

Result<ImportTable, ImportError> parseQuoted(QStringView text, QChar separator) {
  TableSink sink(text.size());
  walkQuoted(text, separator, sink);
  if (sink.error) return *sink.error;
  return sink.builder().finish();
}
}  // namespace

DelimitedTextParser::Format DelimitedTextParser::detectSeparator(QStringView text) {
  // The separator of a file gives its records one number of fields, whatever the fields
  // hold: "A;a, b, c" under "Name;Note" is semicolon text with commas in its note.
  FieldCountTally comma, semicolon, tab;
  walkQuoted(text, u',', comma);
  walkQuoted(text, u';', semicolon);
  walkTabLines(text, [&tab](QStringView line) {
    if (!line.isEmpty()) tab.add(line.count(kTab) + 1);
    return true;
  });
  // Then the one found most often between fields; ties go to TAB.
  const auto before = [](const FieldCountTally& a, const FieldCountTally& b) {
    if (a.agreeing() != b.agreeing()) return a.agreeing() > b.agreeing();
    return a.separators() > b.separators();
  };
  if (before(comma, semicolon) && before(comma, tab)) return Comma;
  if (before(semicolon, comma) && before(semicolon, tab)) return Semicolon;
  return Tab;
}

Result<ImportTable, ImportError> DelimitedTextParser::parse(QStringView text, qint32 format) {
  if (format == Automatic) format = detectSeparator(text);
  switch (format) {
    case Tab:
      return parseTab(text);
    case Comma:
      return parseQuoted(text, u',');
    case Semicolon:
      return parseQuoted(text, u';');
    default:
      return ImportTable();
  }
}

QStringList DelimitedTextParser::componentsOfCsvRow(QStringView line, QChar separator) {
  if (isBlank(line)) return {};
  QStringList fields;
  bool quoted = false;
  qsizetype start = 0;
  const auto cut = [&](qsizetype end) {
    QStringView field = line.sliced(start, end - start);
    if (field.size() >= 2 && field.front() == kQuote && field.back() == kQuote)
      field = field.sliced(1, field.size() - 2);
    fields << field.toString();
    start = end + 1;
  };
  for (qsizetype i = 0; i < line.size(); ++i) {
    if (line[i] == kQuote)
      quoted = !quoted;
    else if (line[i] == separator && !quoted)
      cut(i);
  }
  cut(line.size());
  return fields;
}
