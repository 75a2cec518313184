#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QAction;
class QActionGroup;
class QMainWindow;
class QStackedWidget;
class QToolBar;

// Switches a preferences window between its panes: a toolbar of exclusive choices over a stack
// of panes, the window taking each pane's own height with its top edge kept in place. The
// subclass names the panes, their pictures and heights.
class ZVPrefToolbarDelegate : public QObject {
  Q_OBJECT

 public:
  ZVPrefToolbarDelegate(QMainWindow* window, QStackedWidget* tabView, QObject* parent = nullptr);

  QPointer<QMainWindow> myWindow;
  QPointer<QStackedWidget> myTabView;
  QToolBar* toolbar = nullptr;
  QList<int> myHeightArray;

  virtual QList<int> heightArray() const { return {}; }
  virtual QStringList returnAllkeys() const { return {}; }
  // The toolbar item of that identifier, or none.
  virtual QAction* toolbarItem(const QString& identifier);

  // The items the toolbar is built with, those it may hold and those that show as chosen:
  // every pane, for each; the toolbar cannot be customised.
  QStringList toolbarDefaultItemIdentifiers() const { return returnAllkeys(); }
  QStringList toolbarAllowedItemIdentifiers() const { return returnAllkeys(); }
  QStringList toolbarSelectableItemIdentifiers() const { return returnAllkeys(); }
  // A click on an item needs nothing more here: the item's own action is PanelAction.
  void toolbaritemclicked(QAction* sender) { Q_UNUSED(sender); }

  // Builds the toolbar, puts it on the window and shows the first pane.
  void awakeFromNib();
  void AttachToWindow();
  // Shows the pane of that item; none shows the first pane.
  void PanelAction(QAction* item);
  // Shows the pane of that index with its item chosen; an index out of range does nothing.
  void SetPanelTab(int index);

  int currentIndex() const;

 private:
  void showPane(QAction* item, int index);

  QActionGroup* group_ = nullptr;
};
