#pragma once

#include <QWidget>

// Backgrounds placed behind groups of controls: white, white in a grey frame, and two that
// draw nothing (one opaque, so what lies behind it is not painted first).
class WhiteView : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class ZVWhiteViewNoFrame : public WhiteView {
  Q_OBJECT

 public:
  using WhiteView::WhiteView;
};

// White with a one-point frame in 50% grey.
class ZVWhiteView : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class ZVDarkGrayView : public QWidget {
  Q_OBJECT

 public:
  explicit ZVDarkGrayView(QWidget* parent = nullptr);
  bool isOpaque() const { return true; }

 protected:
  void paintEvent(QPaintEvent*) override {}
};

class ZVGrayView : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;
  bool isOpaque() const { return false; }

 protected:
  void paintEvent(QPaintEvent*) override {}
};
