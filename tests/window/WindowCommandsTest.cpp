#include <gtest/gtest.h>

#include "window/RecordColumns.h"
#include "window/WindowCommands.h"

namespace {

using WindowCommands::State;

// Every command the window decides that reads or changes records.
const char* kRecordCommands[] = {"toggleCollapseExpandMainView:",
                                 "importFromTextFile:",
                                 "addRow:",
                                 "makeToolbarSearchFieldFirstResponder:",
                                 "editCategoriesSheet:",
                                 "emailListSheet:",
                                 "showPasswordMaker:",
                                 "copyEmail:",
                                 "copyPassword:",
                                 "copyPin:",
                                 "copySecurity:",
                                 "copyUrl:",
                                 "copyAccount:",
                                 "copyUserID:",
                                 "openUrl:",
                                 "duplicateRow:",
                                 "deleteRow:",
                                 "pushAndPull:",
                                 "copyName:",
                                 "copyNote:",
                                 "copyCategory:",
                                 "exportToTextFile:",
                                 "exportAllToTextFile:",
                                 "showPasswordsInTable:",
                                 "editContentToggle:",
                                 "setColumnVisibilityCompact:",
                                 "setColumnVisibilityAll:",
                                 "defineCustomTableSettingsToCurrent:",
                                 "setCurrentToCustomTableSettings:",
                                 "switchColumnVisibilityUrl:",
                                 "showAllCategory:",
                                 "lockDocument:"};

bool enabled(const char* action, const State& s) {
  const auto v = WindowCommands::validate(QString::fromLatin1(action), s);
  EXPECT_TRUE(v) << action;
  return v && v->enabled;
}

TEST(WindowCommands, ALockedDocumentTurnsEveryRecordCommandOff) {
  State locked;
  locked.hasFile = locked.recordSelected = locked.recordsExist = true;  // still in memory
  locked.shownColumns = RecordColumns::identifiers();
  for (const char* action : kRecordCommands) EXPECT_FALSE(enabled(action, locked)) << action;
}

TEST(WindowCommands, EnablingFollowsTheStateStepByStep) {
  struct Step {
    const char* what;
    State state;
    std::vector<const char*> on, off;
  };
  State fresh;  // a new document: unlocked, no file, no records
  fresh.unlocked = true;
  State withRecords = fresh;
  withRecords.recordsExist = withRecords.recordsShown = true;
  State filteredOut = withRecords;  // a search that no record passes
  filteredOut.recordsShown = false;
  State selected = withRecords;
  selected.recordSelected = true;
  State saved = selected;
  saved.hasFile = true;
  const Step steps[] = {
      {"new and empty",
       fresh,
       {"addRow:", "importFromTextFile:", "setColumnVisibilityAll:"},
       {"lockDocument:", "copyPassword:", "exportToTextFile:", "showPasswordsInTable:",
        "editContentToggle:"}},
      {"records, none selected",
       withRecords,
       {"exportToTextFile:", "showPasswordsInTable:", "editContentToggle:"},
       {"copyPassword:", "deleteRow:", "lockDocument:"}},
      {"records, none shown",
       filteredOut,
       {"exportAllToTextFile:", "showPasswordsInTable:", "editContentToggle:"},
       {"exportToTextFile:"}},
      {"a record selected",
       selected,
       {"copyPassword:", "deleteRow:", "copyName:", "openUrl:"},
       {"lockDocument:"}},
      {"saved to a file", saved, {"lockDocument:"}, {}},
  };
  for (const Step& step : steps) {
    for (const char* a : step.on) EXPECT_TRUE(enabled(a, step.state)) << step.what << ": " << a;
    for (const char* a : step.off) EXPECT_FALSE(enabled(a, step.state)) << step.what << ": " << a;
  }
  EXPECT_FALSE(WindowCommands::validate(QStringLiteral("saveDocument:"), saved))
      << "left to the document's own rule";
}

TEST(WindowCommands, CheckMarksFollowTheirState) {
  State s;
  s.unlocked = s.recordsExist = true;
  s.shownColumns = {QStringLiteral("name"), QStringLiteral("url")};
  s.isEditable = true;
  EXPECT_EQ(WindowCommands::validate(QStringLiteral("switchColumnVisibilityUrl:"), s)->checked,
            true);
  EXPECT_EQ(WindowCommands::validate(QStringLiteral("switchColumnVisibilityPin:"), s)->checked,
            false);
  EXPECT_EQ(WindowCommands::validate(QStringLiteral("editContentToggle:"), s)->checked, true);
  EXPECT_EQ(WindowCommands::validate(QStringLiteral("showPasswordsInTable:"), s)->checked, false);
  EXPECT_EQ(WindowCommands::validate(QStringLiteral("switchShowClearPassword:"), s)->checked,
            false);
  EXPECT_FALSE(WindowCommands::validate(QStringLiteral("addRow:"), s)->checked);
}

}  // namespace
