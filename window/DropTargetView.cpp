#include "window/DropTargetView.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>

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
  for (const DropPayload::Item& item : items) {
    if (item.kind == DropPayload::Item::FilePath)
      Q_EMIT filePathDropped(item.text);
    else
      Q_EMIT urlPathDropped(item.text);
  }
}

void DropTargetView::setHilited(bool hilited) {
  if (hilited == hilited_) return;
  hilited_ = hilited;
  update();
}

void DropTargetView::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (!hilited_) return;
  QPainter p(this);
  p.setPen(QPen(QColor::fromRgbF(0.5, 0.5, 0.5), 1));
  p.drawRect(QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5));
}
