#include "app/MyPrefToolbarDelegate.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QStyle>

namespace {
struct Pane {
  const char* label;
  const char* themeIcon;  // the desktop's icon theme first
  QStyle::StandardPixmap fallback;
  int height;
};
constexpr Pane kPanes[] = {
    {"General", "preferences-system", QStyle::SP_ComputerIcon, 215},
    {"Font", "preferences-desktop-font", QStyle::SP_FileDialogDetailedView, 153},
    {"Password Create", "dialog-password", QStyle::SP_DialogApplyButton, 150},
    {"Timing", "chronometer", QStyle::SP_BrowserReload, 424},
    {"Advanced", "preferences-other", QStyle::SP_FileDialogContentsView, 140},
    {"Software Update", "system-software-update", QStyle::SP_ArrowDown, 150},
};
}  // namespace

QList<int> MyPrefToolbarDelegate::heightArray() const {
  QList<int> heights;
  for (const Pane& pane : kPanes) heights << pane.height;
  return heights;
}

QStringList MyPrefToolbarDelegate::returnAllkeys() const {
  QStringList keys;
  for (int i = 0; i < int(std::size(kPanes)); ++i) keys << QString::number(i);
  return keys;
}

QAction* MyPrefToolbarDelegate::toolbarItem(const QString& identifier) {
  bool ok = false;
  const int index = identifier.toInt(&ok);
  if (!ok || index < 0 || index >= int(std::size(kPanes)) || identifier != QString::number(index))
    return nullptr;
  const Pane& pane = kPanes[index];
  const QString label = QString::fromLatin1(pane.label);
  auto* item = new QAction(QIcon::fromTheme(QString::fromLatin1(pane.themeIcon),
                                            QApplication::style()->standardIcon(pane.fallback)),
                           label);
  item->setObjectName(identifier);
  item->setToolTip(label);
  item->setData(index);
  return item;
}
