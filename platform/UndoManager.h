#pragma once

#include <QString>
#include <functional>
#include <vector>

// Undo as pairs: an action registers its twin; a twin registered while undoing goes to the
// redo side, so undo and redo alternate. Each registration is one step with its action name.
class UndoManager {
 public:
  void registerUndo(std::function<void()> action);
  // Names the step registered last ("Add Record", ...).
  void setActionName(const QString& name);

  bool canUndo() const { return !undo_.empty(); }
  bool canRedo() const { return !redo_.empty(); }
  void undo();
  void redo();
  bool isUndoing() const { return undoing_; }
  bool isRedoing() const { return redoing_; }
  void removeAllActions();

  QString undoActionName() const { return undo_.empty() ? QString() : undo_.back().name; }
  QString redoActionName() const { return redo_.empty() ? QString() : redo_.back().name; }
  QString undoMenuItemTitle() const;
  QString redoMenuItemTitle() const;

 private:
  struct Step {
    std::function<void()> action;
    QString name;
  };
  std::vector<Step> undo_;
  std::vector<Step> redo_;
  std::vector<Step>* lastTarget_ = nullptr;
  bool undoing_ = false;
  bool redoing_ = false;
};
