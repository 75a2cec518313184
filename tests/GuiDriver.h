#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include "platform/MainQueue.h"

// Finding and pressing what the user would see on screen.
namespace gui {

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

}  // namespace gui
