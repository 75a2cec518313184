#include "platform/Sheet.h"

#include <QAction>
#include <QEvent>
#include <QMenuBar>

SheetEnds& SheetEnds::shared() {
  static SheetEnds ends;
  return ends;
}

Sheet::Sheet(QWidget* parent) : QDialog(parent) { setWindowModality(Qt::WindowModal); }

Sheet::~Sheet() { unblockWindowContent(); }

bool Sheet::isRunningOn(const QWidget* window) {
  if (!window) return false;
  for (const Sheet* sheet : window->findChildren<Sheet*>(Qt::FindDirectChildrenOnly))
    if (sheet->isSheetRunning()) return true;
  return false;
}

void Sheet::beginSheet(QWidget* window, std::function<void(int)> completion) {
  if (running_) return;
  if (window && parentWidget() != window) setParent(window, windowFlags() | Qt::Sheet);
  const bool menusUsable = window && leavesMenusUsable_;
  setWindowModality(menusUsable ? Qt::NonModal : window ? Qt::WindowModal : Qt::ApplicationModal);
  completion_ = std::move(completion);
  running_ = true;
  if (menusUsable) blockWindowContent(window);
  open();
}

void Sheet::endSheet(int returnCode) {
  if (!running_) return;
  running_ = false;
  hide();
  unblockWindowContent();
  // Taken out first: the completion may begin this sheet again.
  auto completion = std::move(completion_);
  completion_ = nullptr;
  const QPointer<QWidget> window = parentWidget();
  if (completion) completion(returnCode);
  if (window) SheetEnds::shared().tell(window);
}

void Sheet::reject() { endSheet(AbortReturn); }

void Sheet::blockWindowContent(QWidget* window) {
  blockedWindow_ = window;
  // Everything of the window but its menu bar and its own windows (this sheet among them).
  for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isWindow() || qobject_cast<QMenuBar*>(child) || !child->isEnabled()) continue;
    child->setEnabled(false);
    disabled_ << child;
  }
  // The marked actions answer their keys while the focus is in the sheet.
  for (QAction* action : window->findChildren<QAction*>())
    if (action->property(kUsableUnderSheet).toBool()) {
      addAction(action);
      borrowed_ << action;
    }
  window->installEventFilter(this);
}

void Sheet::unblockWindowContent() {
  for (const QPointer<QWidget>& child : std::as_const(disabled_))
    if (child) child->setEnabled(true);
  disabled_.clear();
  for (const QPointer<QAction>& action : std::as_const(borrowed_))
    if (action) removeAction(action);
  borrowed_.clear();
  if (blockedWindow_) blockedWindow_->removeEventFilter(this);
  blockedWindow_ = nullptr;
}

bool Sheet::eventFilter(QObject* watched, QEvent* event) {
  // The user's close of the window waits for the sheet, as it would under a modal one; the
  // program's own (quitting, closing the document) goes ahead.
  if (running_ && watched == blockedWindow_ && event->type() == QEvent::Close &&
      event->spontaneous()) {
    event->ignore();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
