// The document window's commands and its View menu: each command an action named by its
// selector, enabled and marked by one decision over the window's state (window/WindowCommands)
// and checked again when it runs.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "Common/ZVTextFieldExt.h"
#include "platform/Sheet.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"
#include "window/RecordDetailView.h"
#include "window/RecordTableModel.h"
#include "window/TableColumns.h"
#include "window/VaultDocumentWindow.h"

namespace {
constexpr char kSelector[] = "qvSelector";
}  // namespace

QAction* VaultDocumentWindow::addCommand(const QString& title, const QString& action,
                                         std::function<void()> run, const QKeySequence& keys) {
  auto* a = new QAction(title, this);
  a->setProperty(kSelector, action);
  if (!keys.isEmpty()) a->setShortcut(keys);
  connect(a, &QAction::triggered, this, [this, action, run = std::move(run)] {
    // Checked again here: a shortcut can fire before the menu was validated.
    const auto v = WindowCommands::validate(action, commandState());
    if (v && !v->enabled) {
      refreshCommands();
      return;
    }
    run();
    refreshCommands();
  });
  addAction(a);
  commands_ << a;
  return a;
}

void VaultDocumentWindow::buildCommands() {
  QAction* detail = addCommand(
      QStringLiteral("&Detail View"), QStringLiteral("toggleCollapseExpandMainView:"),
      [this] { toggleCollapseExpandMainView(); }, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
  detail->setIcon(QIcon::fromTheme(QStringLiteral("view-split-left-right")));
  addCommand(QStringLiteral("Hide Tool&bar"), QStringLiteral("toggleToolbarShown:"),
             [this] { showToolbarByUser(toolbar_->isHidden()); });
  addCommand(
      QStringLiteral("&Find"), QStringLiteral("makeToolbarSearchFieldFirstResponder:"),
      [this] {
        // The search field lives in the toolbar: a hidden one comes back first.
        if (toolbar_->isHidden()) showToolbarByUser(true);
        if (searchField_->isVisible() && searchField_->isEnabled()) searchField_->setFocus();
      },
      QKeySequence::Find);
  addCommand(QStringLiteral("Go to &Name"), QStringLiteral("makeNameFieldFirstResponder:"), [this] {
    QLineEdit* name = detail_->field(RecordKeys::name());
    if (name && name->isVisible() && name->isEnabled()) name->setFocus();
  });
  QAction* secrets = addCommand(QStringLiteral("Show &Passwords in Table"),
                                QStringLiteral("showPasswordsInTable:"),
                                [this] { model_->setShowSecrets(!model_->showsSecrets()); });
  secrets->setIcon(QIcon::fromTheme(QStringLiteral("view-reveal-symbolic")));
  QAction* edit = addCommand(
      QStringLiteral("&Edit Content"), QStringLiteral("editContentToggle:"),
      [this] {
        isEditable_ = !isEditable_;
        detail_->setEditable(isEditable_);
      },
      QKeySequence(Qt::CTRL | Qt::Key_E));
  edit->setIcon(QIcon::fromTheme(QStringLiteral("document-edit")));
  addCommand(QStringLiteral("Show Clear Pass&word"), QStringLiteral("switchShowClearPassword:"),
             [this] {
               showClearPassword_ = !showClearPassword_;
               detail_->setShowClearPassword(showClearPassword_);
             });
  const std::pair<const char*, const char*> switches[] = {
      {"category", "Cate&gory"},     {"url", "&Url"},
      {"account", "&Account"},       {"userID", "User &ID"},
      {"password", "&Password"},     {"pin", "Pi&n"},
      {"security", "Securi&ty"},     {"email", "&Email"},
      {"createdDate", "C&reated"},   {"modificationDate", "&Modified"},
      {"usageCount", "Usage &Count"}};
  for (const auto& [column, title] : switches) {
    const QString id = QString::fromLatin1(column);
    addCommand(QString::fromLatin1(title), RecordColumns::switchAction(id),
               [this, id] { columns_->switchVisibilityColumnWithIdentifier(id); });
  }
  const std::pair<const char*, RecordColumns::Preset> presets[] = {
      {"C&ompact", RecordColumns::Preset::Compact},
      {"Compact &with Dates and Use", RecordColumns::Preset::CompactPlusCMA},
      {"All &but Dates and Use", RecordColumns::Preset::AllMinusCMA},
      {"A&ll Columns", RecordColumns::Preset::All}};
  const char* presetActions[] = {
      "setColumnVisibilityCompact:", "setColumnVisibilityCompactPlusCMA:",
      "setColumnVisibilityAllMinusCMA:", "setColumnVisibilityAll:"};
  for (std::size_t i = 0; i < std::size(presets); ++i) {
    const RecordColumns::Preset preset = presets[i].second;
    addCommand(QString::fromUtf8(presets[i].first), QString::fromLatin1(presetActions[i]),
               [this, preset] { columns_->applyPreset(preset); });
  }
  addCommand(QStringLiteral("Ma&ke Custom Setting"),
             QStringLiteral("defineCustomTableSettingsToCurrent:"),
             [this] { columns_->defineCustomTableSettingsToCurrent(); });
  addCommand(QStringLiteral("Apply Custom &Setting"),
             QStringLiteral("setCurrentToCustomTableSettings:"),
             [this] { columns_->setCurrentToCustomTableSettings(); });
  addCommand(QStringLiteral("Edit Ca&tegories..."), QStringLiteral("editCategoriesSheet:"),
             [this] { editCategoriesSheet(); });
  QAction* lock = addCommand(
      QStringLiteral("&Lock Document"), QStringLiteral("lockDocument:"),
      [this] { document_->lockDocument(); }, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
  lock->setIcon(QIcon::fromTheme(QStringLiteral("system-lock-screen")));
  toolbar_->insertAction(toolbar_->actions().value(0), detail);
  toolbar_->insertAction(toolbar_->actions().value(1), edit);
  toolbar_->insertAction(toolbar_->actions().value(2), secrets);
}

void VaultDocumentWindow::addMenusTo(QMenuBar* bar) {
  auto* view = new QMenu(QStringLiteral("&View"), bar);
  view->addAction(command(QStringLiteral("toggleToolbarShown:")));
  view->addSeparator();
  for (const char* a : {"toggleCollapseExpandMainView:", "editContentToggle:",
                        "switchShowClearPassword:", "showPasswordsInTable:"})
    view->addAction(command(QString::fromLatin1(a)));
  view->addSeparator();
  QMenu* columns = view->addMenu(QStringLiteral("&Columns"));
  for (QAction* a : commands_) {
    const QString selector = a->property(kSelector).toString();
    if (!RecordColumns::identifierForSwitch(selector).isEmpty()) columns->addAction(a);
  }
  columns->addSeparator();
  for (QAction* a : commands_) {
    const QString selector = a->property(kSelector).toString();
    if (RecordColumns::presetForAction(selector)) columns->addAction(a);
  }
  columns->addSeparator();
  columns->addAction(command(QStringLiteral("defineCustomTableSettingsToCurrent:")));
  columns->addAction(command(QStringLiteral("setCurrentToCustomTableSettings:")));
  view->addSeparator();
  view->addAction(command(QStringLiteral("makeToolbarSearchFieldFirstResponder:")));
  view->addAction(command(QStringLiteral("makeNameFieldFirstResponder:")));
  view->addAction(command(QStringLiteral("scrollListViewToBottom:")));
  view->addSeparator();
  view->addAction(command(QStringLiteral("editCategoriesSheet:")));
  view->addAction(command(QStringLiteral("lockDocument:")));
  // Right after Edit, where desktop applications keep their View menu.
  const QList<QAction*> menus = bar->actions();
  QAction* before = nullptr;
  for (qsizetype i = 0; i + 1 < menus.size(); ++i)
    if (menus[i]->text() == u"&Edit") before = menus[i + 1];
  bar->insertMenu(before, view);
  addRecordMenuTo(bar, before);
  connect(view, &QMenu::aboutToShow, this, &VaultDocumentWindow::refreshCommands);
}

QAction* VaultDocumentWindow::command(const QString& action) const {
  for (QAction* a : commands_)
    if (a->property(kSelector).toString() == action) return a;
  return nullptr;
}

bool VaultDocumentWindow::perform(const QString& action) {
  QAction* a = command(action);
  if (!a) return false;
  refreshCommands();
  if (!a->isEnabled()) return false;
  a->trigger();
  return true;
}

WindowCommands::State VaultDocumentWindow::commandState() const {
  WindowCommands::State s;
  if (!document_) return s;
  s.unlocked = document_->isDecrypted();
  s.hasFile = !document_->fileURL().isEmpty();
  s.recordSelected = document_->recordController().canRemove();
  s.recordsExist = !document_->myArray()->isEmpty();
  s.recordsShown = !document_->recordController().arrangedObjects().empty();
  s.showPasswordsInTable = model_->showsSecrets();
  s.isEditable = isEditable_;
  s.showClearPassword = showClearPassword_;
  for (const RecordColumns::ColumnState& c : columnLayout())
    if (!c.hidden) s.shownColumns << c.identifier;
  return s;
}

void VaultDocumentWindow::refreshCommands() {
  if (!document_) return;
  const WindowCommands::State state = commandState();
  // A sheet on the window is answered first.
  const bool underSheet = Sheet::isRunningOn(this);
  for (QAction* a : commands_) {
    const QString selector = a->property(kSelector).toString();
    const auto v = WindowCommands::validate(selector, state);
    const bool enabled =
        !underSheet &&
        (v ? v->enabled : document_->validateUserInterfaceItem(UserInterfaceItem{selector, 0}));
    if (v && v->checked) {
      a->setCheckable(true);
      a->setChecked(*v->checked);
    }
    a->setEnabled(enabled);
  }
  searchField_->setEnabled(state.unlocked);
  categoryMenu_->setEnabled(state.unlocked);
  if (QAction* toolbar = command(QStringLiteral("toggleToolbarShown:")))
    toolbar->setText(toolbar_->isHidden() ? QStringLiteral("Show Tool&bar")
                                          : QStringLiteral("Hide Tool&bar"));
}
