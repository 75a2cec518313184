#include "app/ZVPrefToolbarDelegate.h"

#include <QAction>
#include <QActionGroup>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QStackedWidget>
#include <QToolBar>

ZVPrefToolbarDelegate::ZVPrefToolbarDelegate(QMainWindow* window, QStackedWidget* tabView,
                                             QObject* parent)
    : QObject(parent), myWindow(window), myTabView(tabView) {}

QAction* ZVPrefToolbarDelegate::toolbarItem(const QString& identifier) {
  Q_UNUSED(identifier);
  return nullptr;
}

void ZVPrefToolbarDelegate::awakeFromNib() {
  toolbar = new QToolBar(QStringLiteral("prefToolBar"));
  toolbar->setObjectName(QStringLiteral("prefToolBar"));
  toolbar->setMovable(false);
  toolbar->setFloatable(false);
  toolbar->setContextMenuPolicy(Qt::PreventContextMenu);  // no customising
  toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  group_ = new QActionGroup(toolbar);
  group_->setExclusive(true);
  const QStringList allowed = toolbarAllowedItemIdentifiers();
  const QStringList selectable = toolbarSelectableItemIdentifiers();
  for (const QString& identifier : toolbarDefaultItemIdentifiers()) {
    if (!allowed.contains(identifier)) continue;
    QAction* item = toolbarItem(identifier);
    if (!item) continue;
    item->setParent(toolbar);
    if (selectable.contains(identifier)) {
      item->setCheckable(true);
      group_->addAction(item);
    }
    toolbar->addAction(item);
    connect(item, &QAction::triggered, this, [this, item] { PanelAction(item); });
  }
  myHeightArray = heightArray();
  AttachToWindow();
  PanelAction(nullptr);
}

void ZVPrefToolbarDelegate::AttachToWindow() {
  if (!myWindow) return;
  myWindow->addToolBar(Qt::TopToolBarArea, toolbar);
  myWindow->setUnifiedTitleAndToolBarOnMac(false);
}

int ZVPrefToolbarDelegate::currentIndex() const {
  return myTabView ? myTabView->currentIndex() : -1;
}

void ZVPrefToolbarDelegate::PanelAction(QAction* item) {
  if (item) {
    showPane(item, item->data().toInt());
    return;
  }
  const QList<QAction*> items = toolbar->actions();
  if (items.isEmpty()) return;
  items.first()->setChecked(true);
  showPane(items.first(), 0);
}

void ZVPrefToolbarDelegate::SetPanelTab(int index) {
  const QList<QAction*> items = toolbar->actions();
  if (index < 0 || index >= items.size()) return;
  items[index]->setChecked(true);
  showPane(items[index], index);
}

void ZVPrefToolbarDelegate::showPane(QAction* item, int index) {
  if (!myWindow || !myTabView || index < 0 || index >= myTabView->count()) return;
  myWindow->setWindowTitle(item->text().remove(QLatin1Char('&')));
  myTabView->setCurrentIndex(index);
  if (index >= myHeightArray.size()) return;
  // The window takes the pane's height; a resize keeps the top edge where it is (y grows
  // downwards), so only the height changes.
  const int paneHeight = myHeightArray[index];
  myTabView->setFixedHeight(paneHeight);
  int chrome = toolbar->sizeHint().height();
  if (myWindow->menuWidget()) chrome += myWindow->menuWidget()->sizeHint().height();
  myWindow->setFixedHeight(chrome + paneHeight);
}
