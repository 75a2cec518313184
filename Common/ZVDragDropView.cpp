#include "Common/ZVDragDropView.h"

#include <QPainter>

namespace {
QStringList filePaths(const std::vector<DropPayload::Item>& items) {
  QStringList paths;
  for (const DropPayload::Item& item : items)
    if (item.kind == DropPayload::Item::FilePath) paths << item.text;
  return paths;
}

QString firstWebAddress(const std::vector<DropPayload::Item>& items) {
  for (const DropPayload::Item& item : items)
    if (item.kind == DropPayload::Item::WebAddress) return item.text;
  return {};
}

QWidget* enclosing(QWidget* view) { return view->parentWidget() ? view->parentWidget() : view; }
}  // namespace

ZVDragDropView::ZVDragDropView(QWidget* parent)
    : DropTargetView(DropPayload::Accepts::Files, parent) {}

void ZVDragDropView::setMyFilePathDropped(const QString& path) {
  filePath_ = path;
  Q_EMIT myFilePathDroppedChanged(path);
}

void ZVDragDropView::addLinkToFiles(const QStringList& paths) {
  for (const QString& path : paths) setMyFilePathDropped(path);
}

void ZVDragDropView::take(const std::vector<DropPayload::Item>& items) {
  addLinkToFiles(filePaths(items));
}

ZVDragDropViewFileUrl::ZVDragDropViewFileUrl(QWidget* parent)
    : DropTargetView(DropPayload::Accepts::FileOrUrl, parent) {}

void ZVDragDropViewFileUrl::setMyFilePathDropped(const QString& path) {
  filePath_ = path;
  Q_EMIT myFilePathDroppedChanged(path);
}

void ZVDragDropViewFileUrl::setMyUrlPathDropped(const QString& url) {
  urlPath_ = url;
  Q_EMIT myUrlPathDroppedChanged(url);
}

void ZVDragDropViewFileUrl::addLinkToFiles(const QStringList& paths) {
  if (!paths.isEmpty()) setMyFilePathDropped(paths.front());
}

void ZVDragDropViewFileUrl::take(const std::vector<DropPayload::Item>& items) {
  const QStringList paths = filePaths(items);
  if (!paths.isEmpty()) {
    addLinkToFiles(paths);
    return;
  }
  const QString url = firstWebAddress(items);
  if (!url.isEmpty()) setMyUrlPathDropped(url);
}

QWidget* ZVDragDropViewFileUrl::highlightedView() { return enclosing(this); }

void ZVDragDropViewFileUrl::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  if (!hilited()) return;
  QPainter p(this);
  p.setPen(QPen(QColor::fromRgbF(0.5, 0.5, 0.5), 1));
  p.drawRect(QRectF(rect()).adjusted(3.5, 3.5, -3.5, -3.5));
}

ZVDragDropViewUrl::ZVDragDropViewUrl(QWidget* parent)
    : DropTargetView(DropPayload::Accepts::Url, parent) {}

void ZVDragDropViewUrl::setMyUrlPathDropped(const QString& url) {
  urlPath_ = url;
  Q_EMIT myUrlPathDroppedChanged(url);
}

void ZVDragDropViewUrl::take(const std::vector<DropPayload::Item>& items) {
  const QString url = firstWebAddress(items);
  if (!url.isEmpty()) setMyUrlPathDropped(url);
}

QWidget* ZVDragDropViewUrl::highlightedView() { return enclosing(this); }
