#pragma once

#include <QFrame>

class QLabel;

// The band above the record table that says which filter is in force.
class FilterInfoPane : public QFrame {
  Q_OBJECT

 public:
  static constexpr int kHeight = 38;

  explicit FilterInfoPane(QWidget* parent = nullptr);

  QString text() const;
  void setText(const QString& line);

 private:
  QLabel* line_ = nullptr;
};
