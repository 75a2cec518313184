#include "platform/UndoManager.h"

void UndoManager::registerUndo(std::function<void()> action) {
  if (undoing_) {
    redo_.push_back({std::move(action), {}});
    lastTarget_ = &redo_;
    return;
  }
  // A new edit (not a redo) makes what could be redone meaningless.
  if (!redoing_) redo_.clear();
  undo_.push_back({std::move(action), {}});
  lastTarget_ = &undo_;
}

void UndoManager::setActionName(const QString& name) {
  if (lastTarget_ && !lastTarget_->empty()) lastTarget_->back().name = name;
}

void UndoManager::undo() {
  if (undo_.empty() || undoing_ || redoing_) return;
  Step step = std::move(undo_.back());
  undo_.pop_back();
  undoing_ = true;
  step.action();
  undoing_ = false;
  // The twin registered by the action inherits the step's name unless it set its own.
  if (!redo_.empty() && redo_.back().name.isEmpty()) redo_.back().name = step.name;
}

void UndoManager::redo() {
  if (redo_.empty() || undoing_ || redoing_) return;
  Step step = std::move(redo_.back());
  redo_.pop_back();
  redoing_ = true;
  step.action();
  redoing_ = false;
  if (!undo_.empty() && undo_.back().name.isEmpty()) undo_.back().name = step.name;
}

void UndoManager::removeAllActions() {
  undo_.clear();
  redo_.clear();
  lastTarget_ = nullptr;
}

QString UndoManager::undoMenuItemTitle() const {
  const QString name = undoActionName();
  return name.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + name;
}

QString UndoManager::redoMenuItemTitle() const {
  const QString name = redoActionName();
  return name.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + name;
}
