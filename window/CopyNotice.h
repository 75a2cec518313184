#pragma once

#include <QTimer>
#include <QWidget>

// The short "… copied" notice, drawn over the document window's content. It is a child of
// the window, not a window of its own (a top-level window cannot be placed above every
// desktop's windows), takes no focus and lets clicks through. One timer: each notice
// restarts it.
class CopyNotice : public QWidget {
  Q_OBJECT

 public:
  explicit CopyNotice(QWidget* parent);

  // Shows text centred over the parent for tenths of a second.
  void showNotice(const QString& text, int tenths);
  const QString& text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void place();

  QString text_;
  QTimer timer_{this};
};
