#include "window/LockedPage.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "Common/AppIdentity.h"
#include "Common/ZVAppSupportUtility.h"

LockedPage::LockedPage(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(40, 24, 40, 16);
  layout->addStretch(2);
  title_ = new QLabel(this);
  title_->setAlignment(Qt::AlignCenter);
  title_->setWordWrap(true);  // a long file name never widens the page past a small screen
  QFont titleFont = title_->font();
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
  titleFont.setBold(true);
  title_->setFont(titleFont);
  layout->addWidget(title_);
  layout->addSpacing(12);
  passwordField_ = new QLineEdit(this);
  passwordField_->setEchoMode(QLineEdit::Password);
  passwordField_->setPlaceholderText(QStringLiteral("Password"));
  passwordField_->setAccessibleName(QStringLiteral("Password"));
  passwordField_->setFixedWidth(300);
  layout->addWidget(passwordField_, 0, Qt::AlignHCenter);
  auto* hint = new QLabel(QStringLiteral("Type the document's password and press Enter"), this);
  hint->setAlignment(Qt::AlignCenter);
  hint->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(hint);
  layout->addStretch(1);
  formatText_ = new QLabel(this);
  releaseText_ = new QLabel(this);
  descriptionText_ = new QLabel(this);
  descriptionText_->setWordWrap(true);
  for (QLabel* l : {formatText_, releaseText_, descriptionText_}) {
    l->setAlignment(Qt::AlignCenter);
    layout->addWidget(l);
  }
  layout->addStretch(1);
  auto* appRelease = new QLabel(
      QStringLiteral("%1 %2").arg(AppIdentity::kShortName, ZVAppSupportUtility::calcReleaseString(
                                                               AppIdentity::kReleaseNumber)),
      this);
  appRelease->setAlignment(Qt::AlignRight);
  appRelease->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(appRelease);
}

void LockedPage::setTexts(const QString& documentName, const QString& formatText,
                          const QString& releaseString, const QString& description) {
  title_->setText(QStringLiteral("“%1” is locked").arg(documentName));
  formatText_->setText(formatText);
  releaseText_->setText(releaseString.isEmpty()
                            ? QString()
                            : QStringLiteral("Document format %1").arg(releaseString));
  descriptionText_->setText(description);
}
