#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "platform/MainQueue.h"

// Finding and pressing what the user would see on screen.
namespace GuiDriver {

inline void settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

template <typename W>
QList<W*> visible() {
  QList<W*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* typed = qobject_cast<W*>(w); typed && typed->isVisible()) out << typed;
  return out;
}

inline QMessageBox* onlyAlert() {
  const auto alerts = visible<QMessageBox>();
  return alerts.size() == 1 ? alerts.first() : nullptr;
}

inline QStringList alertTexts() {
  QStringList out;
  for (QMessageBox* box : visible<QMessageBox>()) out << box->text();
  return out;
}

// Presses the button of that title on the one visible alert; false when there is none.
inline bool pressAlertButton(const QString& title) {
  QMessageBox* box = onlyAlert();
  if (!box) return false;
  for (QAbstractButton* b : box->buttons())
    if (b->text() == title) {
      QTest::mouseClick(b, Qt::LeftButton);
      settle();
      return true;
    }
  return false;
}

// Saves a picture of the widget into $QV_SCREENSHOTS, when set, for a person to look at.
inline void snapshot(QWidget* widget, const QString& name) {
  const QString folder = qEnvironmentVariable("QV_SCREENSHOTS");
  if (folder.isEmpty() || !widget) return;
  widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

inline void closeAllAlerts() {
  for (QMessageBox* box : visible<QMessageBox>()) box->done(0);
  settle();
}

// The menu of the menu bar with that title ("&File"), or none.
inline QMenu* menuOf(QMenuBar* bar, const QString& title) {
  for (QAction* top : bar->actions())
    if (top->menu() && top->text() == title) return top->menu();
  return nullptr;
}

// The menu's item that sends selector ("openDocument:"), or none.
inline QAction* menuItem(QMenu* menu, const QString& selector) {
  for (QAction* a : menu->actions())
    if (a->property("qvSelector").toString() == selector) return a;
  return nullptr;
}

// Clicks the menu bar's title, then, when given, the item; without one the menu is closed
// again (opened only to have its commands validated). False when the menu did not open.
inline bool clickMenu(QMenuBar* bar, const QString& title, const QString& selector = {}) {
  QMenu* menu = menuOf(bar, title);
  if (!menu) return false;
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
  settle();
  if (!menu->isVisible()) return false;
  if (selector.isEmpty()) {
    menu->close();
  } else if (QAction* item = menuItem(menu, selector)) {
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
  }
  MainQueue::drain();
  settle();
  return true;
}

// A product's own wait (a notice's time, the pulled password's time, the start-up delay): the
// single-shot timer of that name among owner's children.
inline QTimer* timerOf(const QObject* owner, const char* name) {
  return owner->findChild<QTimer*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

// Ends a running wait now: it fires at the event loop's next turn, as when its time is up.
// False when it is not running.
inline bool expireNow(QTimer* timer) {
  if (!timer || !timer->isActive()) return false;
  timer->start(0);
  return true;
}

}  // namespace GuiDriver
