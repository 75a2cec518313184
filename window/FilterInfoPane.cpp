#include "window/FilterInfoPane.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QStyle>

FilterInfoPane::FilterInfoPane(QWidget* parent) : QFrame(parent) {
  setFixedHeight(kHeight);
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::AlternateBase);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(10, 0, 10, 0);
  auto* icon = new QLabel(this);
  const int side = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
  icon->setPixmap(QIcon::fromTheme(QStringLiteral("view-filter")).pixmap(side, side));
  line_ = new QLabel(this);
  line_->setObjectName(QStringLiteral("filterInfoLine"));
  line_->setTextFormat(Qt::PlainText);
  line_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(icon);
  layout->addWidget(line_, 1);
}

QString FilterInfoPane::text() const { return line_->text(); }

void FilterInfoPane::setText(const QString& line) {
  // The line begins with a blank: "Filter: category = 'Work'".
  line_->setText(QStringLiteral("Filter:") + line);
}
