#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>
#include <functional>

class QAction;

// Tells that a sheet or an alert on a window has ended, its completion run: what waited for it
// (the window's commands) follows the window's state again. One for the whole program, so a
// window hooks it once for every sheet and alert it will ever show.
class SheetEnds : public QObject {
  Q_OBJECT

 public:
  static SheetEnds& shared();
  void tell(QWidget* window) { Q_EMIT ended(window); }

 Q_SIGNALS:
  void ended(QWidget* window);
};

// A dialog attached to a document window, modal for that window only. It ends with a return
// code: the one given to endSheet, or -1000 when it is closed by its own close action.
class Sheet : public QDialog {
  Q_OBJECT

 public:
  static constexpr int AbortReturn = -1000;
  // The property that marks a window's action as usable while a sheet that leaves the menus
  // usable is up (opening or making another document, quitting).
  static constexpr char kUsableUnderSheet[] = "qvUsableUnderSheet";

  explicit Sheet(QWidget* parent = nullptr);
  ~Sheet() override;

  // Shows the sheet on window; completion runs once, after the sheet has closed, and SheetEnds
  // then tells window.
  void beginSheet(QWidget* window, std::function<void(int)> completion);
  void endSheet(int returnCode);
  bool isSheetRunning() const { return running_; }

  // Instead of blocking the whole window, the sheet blocks only its content: the menu bar
  // stays open, and the actions marked usable under a sheet answer their keys and menu
  // items. Set before beginSheet.
  void setLeavesMenusUsable(bool usable) { leavesMenusUsable_ = usable; }
  // Whether a sheet is running on window; its commands wait until it ends.
  static bool isRunningOn(const QWidget* window);

 protected:
  void reject() override;  // Escape and the window's close button
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void blockWindowContent(QWidget* window);
  void unblockWindowContent();

  std::function<void(int)> completion_;
  bool running_ = false;
  bool leavesMenusUsable_ = false;
  QPointer<QWidget> blockedWindow_;
  QList<QPointer<QWidget>> disabled_;
  QList<QPointer<QAction>> borrowed_;
};
