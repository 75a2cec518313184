#pragma once

#include <QString>
#include <memory>

#include "platform/ArrayController.h"
#include "platform/Dictionary.h"

// What the record table shows: an optional category and an optional search text. The
// predicate it hands to the record list reads the state afresh each time the list is
// arranged, so later rearrangements (after an edit, a sort) follow the filter in force.
class RecordFilter {
 public:
  RecordFilter();

  const QString& searchString() const { return state_->search; }
  void setSearchString(const QString& search);
  // The chosen category itself, so renaming it keeps its records in view; none: every one.
  const DictRef& category() const { return state_->category; }
  void setCategory(DictRef category) { state_->category = std::move(category); }
  // The chosen category's title as it is now; empty when none is chosen.
  QString categoryString() const;

  bool inForce() const { return !state_->search.isEmpty() || state_->category; }
  // " category = 'Work' and search string = 'bank'"; empty with no filter in force.
  QString usedFilterDisplay() const;
  bool matches(const Dictionary& record) const { return state_->matches(record); }
  ArrayController::Predicate predicate() const;

 private:
  struct State {
    QString search;
    // The search folded to lower case when it is all ASCII (the usual case, searched
    // without Qt's general folding); empty otherwise.
    QString asciiFolded;
    DictRef category;
    bool matches(const Dictionary& record) const;
    bool found(const QString& text) const;
  };
  std::shared_ptr<State> state_;
};
