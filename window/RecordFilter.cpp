#include "window/RecordFilter.h"

#include <array>

#include "vault/VaultKeys.h"

namespace {
// The keys a search looks in; secrets, dates, counts and the category never.
const std::array<QString, 6>& searchedKeys() {
  static const std::array<QString, 6> keys = {RecordKeys::name(),    RecordKeys::url(),
                                              RecordKeys::account(), RecordKeys::note(),
                                              RecordKeys::userID(),  RecordKeys::email()};
  return keys;
}

// Where the searched keys and the category key sit in a key list. Records share their key
// lists, so a whole list of records is tested with one lookup per key, not one per record.
// Each thread keeps its own (long lists are filtered side by side), and holds the list, so
// that a new list at the same address is never taken for it.
struct KeyPositions {
  static constexpr std::size_t kCategory = 6;
  DictionaryKeysRef keys;
  std::array<qsizetype, 7> at{};
};

const KeyPositions& positionsIn(const DictionaryKeysRef& keys) {
  static const QString categoryKey = RecordKeys::categoryPtr();
  thread_local KeyPositions cached;
  if (cached.keys != keys || !keys) {
    cached.keys = keys;
    cached.at.fill(-1);
    // One pass finds every searched key at once, cheaper than a look-up for each of them.
    for (qsizetype i = 0; keys && i < keys->count(); ++i) {
      const QString& key = keys->at(i);
      for (std::size_t k = 0; k < KeyPositions::kCategory; ++k)
        if (cached.at[k] < 0 && key == searchedKeys()[k]) cached.at[k] = i;
      if (cached.at[KeyPositions::kCategory] < 0 && key == categoryKey)
        cached.at[KeyPositions::kCategory] = i;
    }
  }
  return cached;
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
  if (!category && search.isEmpty()) return true;
  const KeyPositions& positions = positionsIn(record.keyList());
  const auto field = [&](qsizetype at) -> const Value* {
    return at >= 0 && at < record.count() ? &record.valueAt(at) : nullptr;
  };
  if (category) {
    const Value* assigned = field(positions.at[KeyPositions::kCategory]);
    if (!assigned || assigned->dictionaryPointer() != category.get()) return false;
  }
  if (search.isEmpty()) return true;
  // Case-insensitive, and nothing more: accents and widths count.
  for (std::size_t k = 0; k < KeyPositions::kCategory; ++k)
    if (const Value* value = field(positions.at[k]))
      if (const QString* text = value->stringPointer(); text && found(*text)) return true;
  return false;
}

ArrayController::Predicate RecordFilter::predicate() const {
  // Shares the state: the list keeps testing against whatever is in force when it arranges.
  return [state = state_](const DictRef& record) { return record && state->matches(*record); };
}
