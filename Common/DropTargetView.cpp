#include "Common/DropTargetView.h"

#include <QDragEnterEvent>
#include <QMimeData>

DropTargetView::DropTargetView(DropPayload::Accepts accepts, QWidget* parent)
    : QFrame(parent), accepts_(accepts) {
  setAcceptDrops(true);
}

std::vector<DropPayload::Item> DropTargetView::itemsOf(const QDropEvent* event) const {
  const QMimeData* data = event->mimeData();
  DropPayload::Offer offer;
  if (data->hasUrls()) offer.urls = data->urls();
  if (data->hasText()) offer.text = data->text();
  offer.copyOrLinkAllowed = event->possibleActions() & (Qt::CopyAction | Qt::LinkAction);
  return DropPayload::accepted(accepts_, offer);
}

void DropTargetView::dragEnterEvent(QDragEnterEvent* event) {
  if (itemsOf(event).empty()) {
    event->ignore();
    return;
  }
  event->setDropAction(event->possibleActions() & Qt::LinkAction ? Qt::LinkAction : Qt::CopyAction);
  event->accept();
  setHilited(true);
}

void DropTargetView::dragLeaveEvent(QDragLeaveEvent*) { setHilited(false); }

void DropTargetView::dropEvent(QDropEvent* event) {
  setHilited(false);
  const std::vector<DropPayload::Item> items = itemsOf(event);
  if (items.empty()) {
    event->ignore();
    return;
  }
  event->setDropAction(event->possibleActions() & Qt::LinkAction ? Qt::LinkAction : Qt::CopyAction);
  event->accept();
  take(items);
}

void DropTargetView::setHilited(bool hilited) {
  if (hilited == hilited_) return;
  hilited_ = hilited;
  if (QWidget* view = highlightedView()) view->update();
  Q_EMIT hilitedChanged(hilited);
}
