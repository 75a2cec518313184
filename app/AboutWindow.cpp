#include "app/AboutWindow.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>

AboutWindow::AboutWindow(const QString& appName, const QString& statement, const QString& release,
                         QWidget* parent)
    : QMainWindow(parent) {
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(32, 24, 32, 24);
  layout->setSpacing(8);

  auto* icon = new QLabel(content);
  icon->setPixmap(QApplication::windowIcon().pixmap(96, 96));
  icon->setAlignment(Qt::AlignCenter);
  auto* name = new QLabel(appName, content);
  QFont big = name->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  name->setFont(big);
  name->setAlignment(Qt::AlignCenter);
  auto* line = new QLabel(statement, content);
  line->setAlignment(Qt::AlignCenter);
  auto* version = new QLabel(QStringLiteral("Version %1").arg(release), content);
  version->setAlignment(Qt::AlignCenter);
  version->setObjectName(QStringLiteral("version"));

  layout->addWidget(icon);
  layout->addWidget(name);
  layout->addWidget(line);
  layout->addWidget(version);
  setCentralWidget(content);
  // A dialog in all but name: Escape dismisses it.
  new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}
