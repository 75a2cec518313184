#include "vault/RecordFilter.h"

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
}  // namespace

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
  // Case-insensitive, and nothing more: accents and widths count.
  for (const QString& key : searchedKeys())
    if (const QString* text = record.value(key).stringPointer();
        text && text->contains(search, Qt::CaseInsensitive))
      return true;
  return false;
}

ArrayController::Predicate RecordFilter::predicate() const {
  // Shares the state: the list keeps testing against whatever is in force when it arranges.
  return [state = state_](const DictRef& record) { return record && state->matches(*record); };
}
