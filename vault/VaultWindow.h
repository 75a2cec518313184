#pragma once

#include <optional>

#include "platform/Array.h"
#include "platform/Rect.h"

class QWidget;

// What a vault document needs of its window: the frame and layout it saves and restores, the
// column snapshots, and the widget its sheets attach to. The document window implements it;
// tests stand in for it.
class VaultWindow {
 public:
  virtual ~VaultWindow() = default;

  virtual Rect frame() const = 0;
  // display: redraw at once.
  virtual void setFrame(const Rect& frame, bool display) = 0;
  virtual bool isToolbarVisible() const = 0;
  virtual void setToolbarVisible(bool visible) = 0;
  // The frame of the main split view's pane 0 or 1; none when that pane is missing.
  virtual std::optional<Rect> splitPaneFrame(int pane) const = 0;
  // Snapshots of the record table's columns in display order.
  virtual ArrayRef getColumnSize() const = 0;
  virtual ArrayRef getColumnVisibility() const = 0;
  virtual QWidget* widget() const = 0;
  // Categories came or went behind the window's back (an import): its category menu and
  // table show them again.
  virtual void synkCategorySubMenu() {}
};
