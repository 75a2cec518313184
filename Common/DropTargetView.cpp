#include "Common/DropTargetView.h"

#include <QDragEnterEvent>
#include <QMimeData>

DropTargetView::DropTargetView(DropPayload::Accepts accepts, QWidget* parent)
    : QFrame(parent), accepts_(accepts) {
  setAcceptDrops(true);
}

std::vector<DropPayload::Item> DropTargetView::itemsOf(const QDropEvent& event) const {
  const QMimeData* data = event.mimeData();
  DropPayload::Offer offer;
  if (data->hasUrls()) offer.urls = data->urls();
  if (data->hasText()) offer.text = data->text();
  offer.copyOrLinkAllowed = event.possibleActions() & (Qt::CopyAction | Qt::LinkAction);
  return DropPayload::accepted(accepts_, offer);
}

Qt::DropAction DropTargetView::dropActionFor(const QDropEvent& event) {
  return event.possibleActions() & Qt::LinkAction ? Qt::LinkAction : Qt::CopyAction;
}

Qt::DropAction DropTargetView::draggingEntered(const QDropEvent& drag) {
  if (itemsOf(drag).empty()) return Qt::IgnoreAction;
  setHilited(true);
  return dropActionFor(drag);
}

void DropTargetView::draggingExited() { setHilited(false); }

bool DropTargetView::performDragOperation(const QDropEvent& drop) {
  setHilited(false);
  const std::vector<DropPayload::Item> items = itemsOf(drop);
  if (items.empty()) return false;
  take(items);
  return true;
}

void DropTargetView::dragEnterEvent(QDragEnterEvent* event) {
  const Qt::DropAction action = draggingEntered(*event);
  if (action == Qt::IgnoreAction) {
    event->ignore();
    return;
  }
  event->setDropAction(action);
  event->accept();
}

void DropTargetView::dragLeaveEvent(QDragLeaveEvent*) { draggingExited(); }

void DropTargetView::dropEvent(QDropEvent* event) {
  if (!performDragOperation(*event)) {
    event->ignore();
    return;
  }
  event->setDropAction(dropActionFor(*event));
  event->accept();
}

void DropTargetView::setHilited(bool hilited) {
  if (hilited == hilited_) return;
  hilited_ = hilited;
  if (QWidget* view = highlightedView()) view->update();
  Q_EMIT hilitedChanged(hilited);
}
