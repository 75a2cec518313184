#include "platform/UndoManager.h"
#include "tests/vault/RecordListFixture.h"
#include "window/RecordEditor.h"

namespace {

// Scripted edits with the list's invariants checked after every step.
class RecordEditorTest : public RecordListFixture {
 protected:
  void SetUp() override {
    RecordListFixture::SetUp();
    categories.addWithName(QStringLiteral("Generic"));
    for (const char* n : {"a", "b", "c"}) addRecord(n);
    records.setSelectionIndex(0);
    document.kinds.clear();
  }

  // One step: "+x" adds x, "*" duplicates the selection (named after it with a '), "-" deletes
  // the last selected, "u" undoes, "r" redoes, "=n" selects arranged row n.
  void run(const std::string& step) {
    if (step[0] == '+') {
      DictRef r = records.newObject();
      r->setValue(RecordKeys::name(), QString::fromStdString(step.substr(1)));
      editor.addTheRecord(r);
    } else if (step == "*") {
      DictRef copy = records.duplicateSelection();
      copy->setValue(RecordKeys::name(), copy->value(RecordKeys::name()).toString() + u'\'');
      editor.duplicateTheRecord(copy);
    } else if (step == "-") {
      editor.deleteTheRecord(records.selectedObjects().back());
    } else if (step == "u") {
      undo.undo();
    } else if (step == "r") {
      undo.redo();
    } else if (step[0] == '=') {
      records.setSelectionIndex(std::stoi(step.substr(1)));
    }
  }

  QString names(bool arranged) const {
    QStringList out;
    if (arranged)
      for (const auto& r : records.arrangedObjects())
        out << r->value(RecordKeys::name()).toString();
    else
      for (const auto& v : records.content()->values())
        out << v.toDictionary()->value(RecordKeys::name()).toString();
    return out.join(u' ');
  }

  ::testing::AssertionResult invariantsHold() const {
    if (auto links = linksHold(); !links) return links;
    if (records.arrangedObjects().size() != std::size_t(records.content()->count()))
      return ::testing::AssertionFailure() << "arranged " << records.arrangedObjects().size()
                                           << " of " << records.content()->count();
    for (qsizetype i : records.selectionIndexes())
      if (i < 0 || std::size_t(i) >= records.arrangedObjects().size())
        return ::testing::AssertionFailure() << "selection " << i << " out of range";
    if (!records.arrangedObjects().empty() && records.selectionIndexes().empty())
      return ::testing::AssertionFailure() << "nothing selected";
    return ::testing::AssertionSuccess();
  }

  UndoManager undo;
  RecordEditor editor{records, categories, undo, document};
};

struct ScriptedEdits {
  std::vector<std::string> steps;
  const char* content;
  const char* selected;
  const char* undoTitle;
  const char* redoTitle;
};

void PrintTo(const ScriptedEdits& c, std::ostream* out) {
  *out << ::testing::PrintToString(c.steps);
}

class ScriptedEditsTest : public RecordEditorTest,
                          public ::testing::WithParamInterface<ScriptedEdits> {};

TEST_P(ScriptedEditsTest, UndoAndRedoKeepTheListWhole) {
  const ScriptedEdits& c = GetParam();
  std::size_t marks = 0;
  for (const std::string& step : c.steps) {
    run(step);
    ASSERT_TRUE(invariantsHold()) << step;
    if (step[0] != '=') ++marks;
    EXPECT_EQ(document.kinds.size(), marks) << "every step marks the document once";
  }
  EXPECT_EQ(names(false), QString::fromLatin1(c.content));
  EXPECT_EQ(names(true), QString::fromLatin1(c.content));
  const auto selected = records.selectedObjects();
  EXPECT_EQ(selected.empty() ? QString() : selected.back()->value(RecordKeys::name()).toString(),
            QString::fromLatin1(c.selected));
  EXPECT_EQ(undo.undoMenuItemTitle(), QString::fromLatin1(c.undoTitle));
  EXPECT_EQ(undo.redoMenuItemTitle(), QString::fromLatin1(c.redoTitle));
}

INSTANTIATE_TEST_SUITE_P(
    RecordEditorTest, ScriptedEditsTest,
    ::testing::Values(
        ScriptedEdits{{"+d"}, "a b c d", "d", "Undo Add Record", "Redo"},
        ScriptedEdits{{"+d", "u"}, "a b c", "c", "Undo", "Redo Add Record"},
        ScriptedEdits{{"+d", "u", "r"}, "a b c d", "d", "Undo Add Record", "Redo"},
        ScriptedEdits{{"=0", "*"}, "a a' b c", "a'", "Undo Duplicate Record", "Redo"},
        ScriptedEdits{
            {"=1", "*", "u", "=2", "r"}, "a b c b'", "b'", "Undo Duplicate Record", "Redo"},
        ScriptedEdits{{"=0", "-"}, "b c", "b", "Undo Delete Record", "Redo"},
        ScriptedEdits{{"=0", "-", "u"}, "b c a", "a", "Undo", "Redo Delete Record"},
        ScriptedEdits{{"=0", "-", "u", "r"}, "b c", "c", "Undo Delete Record", "Redo"},
        ScriptedEdits{{"+d", "=1", "-", "u", "u"}, "a c b", "b", "Undo", "Redo Add Record"},
        ScriptedEdits{{"+d", "+e", "u", "u", "r", "r", "u"},
                      "a b c d",
                      "d",
                      "Undo Add Record",
                      "Redo Add Record"},
        ScriptedEdits{{"-", "-", "-"}, "", "", "Undo Delete Record", "Redo"},
        ScriptedEdits{{"-", "-", "-", "u", "u", "u"}, "c b a", "a", "Undo", "Redo Delete Record"}));

TEST_F(RecordEditorTest, RedoBringsBackTheVeryRecordInItsCategory) {
  DictRef work = categories.addWithName(QStringLiteral("Work"));
  DictRef r = records.newObject();
  r->setValue(RecordKeys::categoryPtr(), work);
  editor.addTheRecord(r);
  EXPECT_EQ(countOf(work), 1);
  undo.undo();
  EXPECT_EQ(countOf(work), 0);
  EXPECT_EQ(records.arrangedIndexOf(r.get()), ArrayController::NotFound);
  undo.redo();
  EXPECT_EQ(records.arrangedObjects().back(), r);
  EXPECT_EQ(categoryOf(r), work);
  EXPECT_EQ(countOf(work), 1);
  EXPECT_TRUE(linksHold());
}

// Letting go of the history (a lock clears it) wipes a record that only the history held; a
// record that is also in the list, or held elsewhere, is left whole.
TEST_F(RecordEditorTest, ClearingTheHistoryWipesTheRecordsOnlyItHeld) {
  run("+x");            // in the list and in the history
  QString deletedName;  // the same characters as the deleted record's name
  std::weak_ptr<Dictionary> deleted;
  {
    const DictRef a = records.content()->at(0).toDictionary();
    deletedName = a->value(RecordKeys::name()).toString();
    deleted = a;
    editor.deleteTheRecord(a);
  }
  const DictRef held = records.content()->at(0).toDictionary();
  const QString heldName = held->value(RecordKeys::name()).toString();
  editor.deleteTheRecord(held);
  ASSERT_EQ(names(false), QStringLiteral("c x"));

  undo.removeAllActions();
  EXPECT_TRUE(deleted.expired());
  EXPECT_EQ(deletedName, QString(1, QChar(0)));
  EXPECT_EQ(heldName, u"b");
  EXPECT_EQ(held->value(RecordKeys::name()).toString(), u"b");
  EXPECT_EQ(names(false), QStringLiteral("c x"));
}

TEST_F(RecordEditorTest, ARecordWhoseCategoryWentComesBackInTheNewRecordCategory) {
  DictRef work = categories.addWithName(QStringLiteral("Work"));
  DictRef r = records.arrangedObjects()[0];
  ASSERT_TRUE(records.assignCategory(work, r));
  editor.deleteTheRecord(r);
  categories.removeObject(work);
  records.setSelectionIndex(0);
  const DictRef expected = records.catToAssignToNewObject();
  undo.undo();
  ASSERT_NE(categoryOf(r), nullptr);
  EXPECT_NE(categoryOf(r), work);
  EXPECT_EQ(categoryOf(r), expected);
  EXPECT_TRUE(linksHold());
}

TEST_F(RecordEditorTest, SortedAndFilteredListsMoveOneRowNeverReset) {
  records.setSortDescriptors({ArrayController::SortDescriptor(RecordKeys::name(), false)});
  records.rearrangeObjects();
  ASSERT_EQ(names(true), QStringLiteral("c b a"));
  int resets = 0, inserts = 0;
  QObject::connect(&records, &ArrayController::arrangedObjectsAboutToReset, [&] { ++resets; });
  QObject::connect(&records, &ArrayController::objectInserted, [&] { ++inserts; });
  DictRef bb = records.newObject();
  bb->setValue(RecordKeys::name(), QStringLiteral("bb"));
  editor.addTheRecord(bb);
  EXPECT_EQ(names(true), QStringLiteral("c bb b a"));
  EXPECT_EQ(records.selectedObjects(), std::vector<DictRef>{bb});
  undo.undo();
  undo.redo();
  EXPECT_EQ(names(true), QStringLiteral("c bb b a"));
  EXPECT_EQ(resets, 0);
  EXPECT_GE(inserts, 2);

  // A record the filter refuses stays in the content only.
  records.setFilterPredicate(
      [](const DictRef& r) { return !r->value(RecordKeys::name()).toString().startsWith(u'z'); });
  resets = 0;
  DictRef z = records.newObject();
  z->setValue(RecordKeys::name(), QStringLiteral("zz"));
  editor.addTheRecord(z);
  EXPECT_EQ(names(true), QStringLiteral("c bb b a"));
  EXPECT_EQ(records.content()->count(), 5);
  EXPECT_EQ(resets, 0);
  EXPECT_TRUE(linksHold());
}

}  // namespace
