#pragma once

#include <QMainWindow>

// The About window: the application's icon, name, statement and release.
class AboutWindow : public QMainWindow {
  Q_OBJECT

 public:
  AboutWindow(const QString& appName, const QString& statement, const QString& release,
              QWidget* parent = nullptr);
};
