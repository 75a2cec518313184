#pragma once

#include <QFrame>

#include "Common/DropPayload.h"

// An area that takes files or web addresses dragged from other applications and reports
// each one it took; it outlines itself while a drag it would take is over it.
class DropTargetView : public QFrame {
  Q_OBJECT

 public:
  DropTargetView(DropPayload::Accepts accepts, QWidget* parent = nullptr);
  bool hilited() const { return hilited_; }

 Q_SIGNALS:
  void filePathDropped(const QString& path);
  void urlPathDropped(const QString& url);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<DropPayload::Item> itemsOf(const class QDropEvent* event) const;
  void setHilited(bool hilited);

  DropPayload::Accepts accepts_;
  bool hilited_ = false;
};
