#pragma once

#include <QMainWindow>

class DefaultsBinder;
class MyAppDelegate;
class MyPrefToolbarDelegate;
class QStackedWidget;

// The preferences window: six panes of settings behind a toolbar, each edit stored at once.
class PreferencesWindow : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kWidth = 560;

  explicit PreferencesWindow(MyAppDelegate& delegate, QWidget* parent = nullptr);

  QStackedWidget* tabView() const { return tabView_; }
  MyPrefToolbarDelegate* panes() const { return panes_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* generalPane();
  QWidget* fontPane();
  QWidget* passwordPane();
  QWidget* timingPane();
  QWidget* advancedPane();
  QWidget* softwareUpdatePane();
  // The pane's contents above its "Restore Defaults" button, which reverts the keys shown.
  QWidget* pane(QLayout* contents, const QStringList& keys);

  MyAppDelegate& delegate_;
  DefaultsBinder* binder_;
  QStackedWidget* tabView_;
  MyPrefToolbarDelegate* panes_;
};
