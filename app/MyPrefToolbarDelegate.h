#pragma once

#include "app/ZVPrefToolbarDelegate.h"

// The application's six preference panes: their names, pictures and heights.
class MyPrefToolbarDelegate : public ZVPrefToolbarDelegate {
  Q_OBJECT

 public:
  using ZVPrefToolbarDelegate::ZVPrefToolbarDelegate;

  QList<int> heightArray() const override;
  QStringList returnAllkeys() const override;
  QAction* toolbarItem(const QString& identifier) override;
};
