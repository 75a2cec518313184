#include "vault/RecordFilter.h"

#include "vault/VaultKeys.h"

namespace {
// The keys a search looks in; secrets, dates, counts and the category never.
const std::array<QString, 6>& searchedKeys() {
  static const std::array<QString, 6> keys = {RecordKeys::name(),    RecordKeys::url(),
                                              RecordKeys::account(), RecordKeys::note(),
                                              RecordKeys::userID(),  RecordKeys::email()};
  return keys;
}

// The simple case fold that Qt's case-insensitive search compares, quick for ASCII.
inline char16_t folded(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
  return QChar::toCaseFolded(c);  // the Kelvin sign folds to k, the long s to s
}

// Whether text holds needle (ASCII, folded) with case ignored.
bool containsAsciiFolded(QStringView text, QStringView needle) {
  const qsizetype n = needle.size();
  const char16_t* t = text.utf16();
  const char16_t* p = needle.utf16();
  for (qsizetype i = 0, last = text.size() - n; i <= last; ++i) {
    if (folded(t[i]) != p[0]) continue;
    qsizetype j = 1;
    while (j < n && folded(t[i + j]) == p[j]) ++j;
    if (j == n) return true;
  }
  return false;
}
}  // namespace

void RecordFilter::setSearchString(const QString& search) {
  state_->search = search;
  state_->asciiFolded.clear();
  bool ascii = true;
  for (QChar c : search) ascii = ascii && c.unicode() < 0x80;
  if (ascii) state_->asciiFolded = search.toLower();
}

bool RecordFilter::State::found(const QString& text) const {
  if (!asciiFolded.isEmpty()) return containsAsciiFolded(text, asciiFolded);
  return text.contains(search, Qt::CaseInsensitive);
}

RecordFilter::RecordFilter() : state_(std::make_shared<State>()) {}

QString RecordFilter::categoryString() const {
  if (!state_->category) return {};
  return state_->category->value(CategoryKeys::category()).toString();
}

QString RecordFilter::usedFilterDisplay() const {
  QString line;
  if (state_->category)
    line += QStringLiteral(" category = '") + categoryString() + QLatin1Char('\'');
  if (!state_->search.isEmpty()) {
    if (!line.isEmpty()) line += QStringLiteral(" and");
    line += QStringLiteral(" search string = '") + state_->search + QLatin1Char('\'');
  }
  return line;
}

bool RecordFilter::State::matches(const Dictionary& record) const {
  static const QString categoryKey = RecordKeys::categoryPtr();
  if (category) {
    if (record.value(categoryKey).dictionaryPointer() != category.get()) return false;
  }
  if (search.isEmpty()) return true;
  if (record.keyList() != keys) {
    keys = record.keyList();
    for (std::size_t i = 0; i < positions.size(); ++i)
      positions[i] = keys ? keys->indexOf(searchedKeys()[i]) : -1;
  }
  // Case-insensitive, and nothing more: accents and widths count.
  for (const qsizetype at : positions)
    if (at >= 0 && at < record.count())
      if (const QString* text = record.valueAt(at).stringPointer(); text && found(*text))
        return true;
  return false;
}

ArrayController::Predicate RecordFilter::predicate() const {
  // Shares the state: the list keeps testing against whatever is in force when it arranges.
  return [state = state_](const DictRef& record) { return record && state->matches(*record); };
}
