#include "platform/UndoManager.h"
#include "tests/vault/RecordListFixture.h"
#include "window/EmailList.h"

namespace {

class EmailListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Clock::setSource([this] { return Date{5000.0 + ticks++}; });
  }
  void TearDown() override { Clock::setSource({}); }

  // "+" adds, "-" deletes the last selected, "u" undoes, "r" redoes, "=n" selects row n
  // ("=" alone selects nothing), "=a,b" selects several.
  void run(const std::string& step) {
    if (step == "+") {
      list.newEmailInEmailList();
      // Each entry is named by the order it was made in.
      list.controller().arrangedObjects().back()->setValue(EmailList::emailKey(),
                                                           QString::number(++made));
    } else if (step == "-") {
      list.deleteEmailInEmailList();
    } else if (step == "u") {
      undo.undo();
    } else if (step == "r") {
      undo.redo();
    } else if (step[0] == '=') {
      std::vector<qsizetype> rows;
      for (char c : step.substr(1))
        if (c != ',') rows.push_back(c - '0');
      list.controller().setSelectionIndexes(rows);
    }
  }

  UndoManager undo;
  ChangeCounter document;
  EmailList list{undo, document};
  int ticks = 0, made = 0;
};

TEST_F(EmailListTest, ScriptedAddsDeletesUndoAndRedo) {
  struct Case {
    std::vector<std::string> steps;
    const char* addresses;
    std::size_t marks;
    const char* undoTitle;
  };
  const Case cases[] = {
      {{"+", "+", "u"}, "1", 3, "Undo Add Email"},
      {{"+", "+", "u", "r"}, "1 2", 4, "Undo Add Email"},
      {{"+", "+", "+", "=0", "-"}, "2 3", 4, "Undo Delete Email"},
      {{"+", "+", "+", "=0", "-", "u"}, "2 3 1", 5, "Undo Add Email"},
      {{"+", "+", "+", "=0,1,2", "-"}, "1 2", 4, "Undo Delete Email"},
      {{"+", "+", "=", "-"}, "1 2", 2, "Undo Add Email"},
      {{"-"}, "", 0, "Undo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.steps));
    undo.removeAllActions();
    list.setContent(Array::create());
    document.kinds.clear();
    made = 0;
    for (const std::string& step : c.steps) run(step);
    EXPECT_EQ(list.addresses().join(u' '), QString::fromLatin1(c.addresses));
    EXPECT_EQ(document.kinds.size(), c.marks);
    EXPECT_EQ(undo.undoMenuItemTitle(), QString::fromLatin1(c.undoTitle));
  }
}

TEST_F(EmailListTest, RedoBringsBackTheVeryEntryAndTheDocumentArrayFollows) {
  ArrayRef stored = Array::create();
  list.setContent(stored);
  list.newEmailInEmailList();
  list.newEmailInEmailList();
  const DictRef second = list.controller().arrangedObjects().back();
  EXPECT_EQ(second->value(EmailList::emailKey()).toString(), EmailList::placeholderAddress());
  const Date created = second->value(EmailList::creationDateKey()).toDate();
  undo.undo();
  EXPECT_EQ(stored->count(), 1);
  undo.redo();
  EXPECT_EQ(stored->count(), 2);
  EXPECT_EQ(list.controller().arrangedObjects().back(), second);
  EXPECT_EQ(second->value(EmailList::creationDateKey()).toDate(), created);

  // An address typed in place marks the document; the same text again does not.
  document.kinds.clear();
  list.setAddress(1, QStringLiteral("me@home.example"));
  list.setAddress(1, QStringLiteral("me@home.example"));
  list.setAddress(7, QStringLiteral("nowhere"));
  EXPECT_EQ(document.kinds.size(), 1u);
  EXPECT_EQ(list.addresses().back(), QStringLiteral("me@home.example"));
}

}  // namespace
