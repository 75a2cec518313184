#pragma once

#include <QStringList>

#include "Common/DropTargetView.h"

// Takes files: each dropped path in turn.
class ZVDragDropView : public DropTargetView {
  Q_OBJECT
  Q_PROPERTY(QString myFilePathDropped READ myFilePathDropped WRITE setMyFilePathDropped NOTIFY
                 myFilePathDroppedChanged)

 public:
  explicit ZVDragDropView(QWidget* parent = nullptr);
  QString myFilePathDropped() const { return filePath_; }
  void setMyFilePathDropped(const QString& path);
  void addLinkToFiles(const QStringList& paths);

 Q_SIGNALS:
  void myFilePathDroppedChanged(const QString& path);

 protected:
  void take(const std::vector<DropPayload::Item>& items) override;

 private:
  QString filePath_;
};

// Takes one file or, failing that, one web address; outlines itself while hilited.
class ZVDragDropViewFileUrl : public DropTargetView {
  Q_OBJECT
  Q_PROPERTY(QString myFilePathDropped READ myFilePathDropped WRITE setMyFilePathDropped NOTIFY
                 myFilePathDroppedChanged)
  Q_PROPERTY(QString myUrlPathDropped READ myUrlPathDropped WRITE setMyUrlPathDropped NOTIFY
                 myUrlPathDroppedChanged)

 public:
  explicit ZVDragDropViewFileUrl(QWidget* parent = nullptr);
  QString myFilePathDropped() const { return filePath_; }
  void setMyFilePathDropped(const QString& path);
  QString myUrlPathDropped() const { return urlPath_; }
  void setMyUrlPathDropped(const QString& url);
  // The first path only.
  void addLinkToFiles(const QStringList& paths);

 Q_SIGNALS:
  void myFilePathDroppedChanged(const QString& path);
  void myUrlPathDroppedChanged(const QString& url);

 protected:
  void take(const std::vector<DropPayload::Item>& items) override;
  QWidget* highlightedView() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QString filePath_;
  QString urlPath_;
};

// Takes one web address, from a URL or from plain text.
class ZVDragDropViewUrl : public DropTargetView {
  Q_OBJECT
  Q_PROPERTY(QString myUrlPathDropped READ myUrlPathDropped WRITE setMyUrlPathDropped NOTIFY
                 myUrlPathDroppedChanged)

 public:
  explicit ZVDragDropViewUrl(QWidget* parent = nullptr);
  QString myUrlPathDropped() const { return urlPath_; }
  void setMyUrlPathDropped(const QString& url);

 Q_SIGNALS:
  void myUrlPathDroppedChanged(const QString& url);

 protected:
  void take(const std::vector<DropPayload::Item>& items) override;
  QWidget* highlightedView() override;

 private:
  QString urlPath_;
};
