#include "app/PasswordMakerController.h"

#include <QGuiApplication>
#include <QScreen>
#include <limits>

#include "app/PasswordMakerWindow.h"
#include "generator/PasswordQualityView.h"
#include "platform/UserDefaults.h"
#include "platform/crypto/SecureMemory.h"

PasswordMakerController::PasswordMakerController(UserDefaults& defaults,
                                                 std::function<void(QMainWindow*)> prepareWindow,
                                                 QObject* parent)
    : QObject(parent),
      defaults_(defaults),
      prepareWindow_(std::move(prepareWindow)),
      ownMaker_(&defaults == &UserDefaults::standardUserDefaults()
                    ? nullptr
                    : std::make_unique<ZVPasswordMaker>(defaults)),
      maker_(ownMaker_ ? *ownMaker_ : ZVPasswordMaker::sharedPasswordMaker()) {}

PasswordMakerController::~PasswordMakerController() {
  delete window_;
  SecureMemory::wipe(password_);
}

PasswordMakerWindow* PasswordMakerController::passwordMakerWindow() const { return window_; }

void PasswordMakerController::setPassword4PasswordMaker(QString password) {
  QString previous = std::move(password_);
  password_ = std::move(password);
  Q_EMIT password4PasswordMakerChanged(password_);
  // Only now have the fields let go of the old text, so wiping it blanks no one's copy.
  SecureMemory::wipe(previous);
}

void PasswordMakerController::setPwLength4PasswordMaker(const QString& entered) {
  if (length_ == entered) return;
  length_ = entered;
  Q_EMIT pwLength4PasswordMakerChanged(length_);
}

void PasswordMakerController::setPwTypeTag4PasswordMaker(int tag) {
  if (typeTag_ == tag) return;
  typeTag_ = tag;
  Q_EMIT pwTypeTag4PasswordMakerChanged(tag);
}

void PasswordMakerController::setPwIsVisible4PasswordMaker(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  Q_EMIT pwIsVisible4PasswordMakerChanged(visible);
}

int PasswordMakerController::clampedLength(const QString& entered) {
  // As a number field reads its text: blanks, a sign, then digits up to the first other
  // character; a value beyond an int's range stops at its end instead of wrapping.
  qsizetype i = 0;
  while (i < entered.size() && entered.at(i).isSpace()) ++i;
  bool negative = false;
  if (i < entered.size() && (entered.at(i) == u'-' || entered.at(i) == u'+'))
    negative = entered.at(i++) == u'-';
  qint64 magnitude = 0;
  constexpr qint64 kCap = qint64(std::numeric_limits<int>::max()) + 1;
  for (; i < entered.size() && entered.at(i) >= u'0' && entered.at(i) <= u'9'; ++i)
    magnitude = std::min(kCap, magnitude * 10 + (entered.at(i).unicode() - u'0'));
  const qint64 value = negative ? -magnitude : magnitude;
  return static_cast<int>(
      std::max<qint64>(std::min<qint64>(value, kMaximumLength), kMinimumLength));
}

void PasswordMakerController::showPasswordMaker() {
  if (!window_) {
    window_ = new PasswordMakerWindow(*this);
    showEstimate();
    if (prepareWindow_) prepareWindow_(window_);
  }
  if (!window_->isVisible()) {
    window_->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect area = window_->frameGeometry();
      area.moveCenter(screen->availableGeometry().center());
      window_->move(area.topLeft());
    }
    if (password_.isEmpty()) calcNewPasswordInPasswordMaker();
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

void PasswordMakerController::calcNewPasswordInPasswordMaker() {
  const int length = clampedLength(length_);
  setPwLength4PasswordMaker(QString::number(length));
  setPassword4PasswordMaker(maker_.generatePasswordType(typeTag_, length));
  // The look-alike exclusion may leave nothing to draw from: an empty password has no strength.
  lastEstimate_.reset();
  if (!password_.isEmpty())
    lastEstimate_ = ZVPasswordMaker::calcStarNumberFromTypeTag(typeTag_, length);
  showEstimate();
}

void PasswordMakerController::showEstimate() {
  if (!window_) return;
  if (lastEstimate_)
    window_->pwQualityView()->SetQualityValue(*lastEstimate_);
  else
    window_->pwQualityView()->clearQualityValue();
}

void PasswordMakerController::useDefaulltCharsForDisambiguator() {
  defaults_.setString(QStringLiteral("noCharStringDisambiguator"), QStringLiteral("0O1lI"));
  Q_EMIT disambiguatorCharsReset();
}
