#include "window/WindowCommands.h"

#include "window/RecordColumns.h"

namespace WindowCommands {

namespace {
bool among(const QString& action, std::initializer_list<const char*> names) {
  for (const char* n : names)
    if (action == QLatin1String(n)) return true;
  return false;
}
}  // namespace

std::optional<Validation> validate(const QString& action, const State& s) {
  if (action == u"lockDocument:") return Validation{s.unlocked && s.hasFile, {}};
  if (among(action,
            {"toggleCollapseExpandMainView:", "importFromTextFile:", "addRow:",
             "makeToolbarSearchFieldFirstResponder:", "toggleToolbarShown:", "editCategoriesSheet:",
             "emailListSheet:", "showPasswordMaker:", "makeNameFieldFirstResponder:",
             "phoneListSheet:", "printDocument:", "runPageLayout:"}))
    return Validation{s.unlocked, {}};
  if (among(action, {"copyEmail:", "copyPassword:", "copyPin:", "copySecurity:", "copyUrl:",
                     "copyAccount:", "copyUserID:", "openUrl:", "duplicateRow:", "deleteRow:",
                     "pushAndPull:", "copyName:", "copyNote:", "copyCategory:"}))
    return Validation{s.unlocked && s.recordSelected, {}};
  // Exporting what is shown needs something shown: an empty file would pass for an export.
  if (action == u"exportToTextFile:")
    return Validation{s.unlocked && s.recordsExist && s.recordsShown, {}};
  if (action == u"showPasswordsInTable:")
    return Validation{s.unlocked && s.recordsExist, s.showPasswordsInTable};
  if (action == u"switchShowClearPassword:") return Validation{s.unlocked, s.showClearPassword};
  if (action == u"editContentToggle:")
    return Validation{s.unlocked && s.recordsExist, s.isEditable};
  if (const QString column = RecordColumns::identifierForSwitch(action); !column.isEmpty())
    return Validation{s.unlocked, s.shownColumns.contains(column)};
  // Presets, the custom setting and the filter change what a locked window would show of
  // records still in memory.
  if (RecordColumns::presetForAction(action) ||
      among(action, {"defineCustomTableSettingsToCurrent:", "setCurrentToCustomTableSettings:",
                     "exportAllToTextFile:", "showAllAndResetFilter:", "showAllCategory:",
                     "doSelectCatMenu:", "ResetFilterPredicate:"}))
    return Validation{s.unlocked, {}};
  return std::nullopt;
}

}  // namespace WindowCommands
