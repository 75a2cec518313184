#pragma once

#include <QFrame>
#include <vector>

#include "Common/DropPayload.h"

class QDropEvent;

// The drag-and-drop part shared by the drop areas: whether a drag over the area is one it
// takes (it is then hilited), and what it takes when dropped. Each area publishes what was
// dropped as a property whose change signal fires on every drop, the same value again too.
class DropTargetView : public QFrame {
  Q_OBJECT
  Q_PROPERTY(bool hilited READ hilited NOTIFY hilitedChanged)

 public:
  bool hilited() const { return hilited_; }

 Q_SIGNALS:
  void hilitedChanged(bool hilited);

 protected:
  DropTargetView(DropPayload::Accepts accepts, QWidget* parent);
  // What a drop brought, already sorted by what the area takes.
  virtual void take(const std::vector<DropPayload::Item>& items) = 0;
  // The widget redrawn when the highlight changes.
  virtual QWidget* highlightedView() { return this; }

  // The drag-and-drop steps the Qt events below hand on to. A drag the area takes is
  // answered with link where the source allows it, else copy; one it refuses with none.
  Qt::DropAction draggingEntered(const QDropEvent& drag);
  void draggingExited();
  // False, and nothing taken, when the drop is not one the area takes.
  bool performDragOperation(const QDropEvent& drop);

  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  std::vector<DropPayload::Item> itemsOf(const QDropEvent& event) const;
  static Qt::DropAction dropActionFor(const QDropEvent& event);
  void setHilited(bool hilited);

  DropPayload::Accepts accepts_;
  bool hilited_ = false;
};
