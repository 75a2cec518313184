#include "platform/Alert.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

#include "platform/Sheet.h"

namespace {
constexpr char kReturnCode[] = "alertReturnCode";

QMessageBox::Icon iconFor(Alert::Style style) {
  switch (style) {
    case Alert::Style::Warning:
      return QMessageBox::Warning;
    case Alert::Style::Critical:
      return QMessageBox::Critical;
    case Alert::Style::Informational:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleFor(int index, const QString& title) {
  if (index == 0) return QMessageBox::AcceptRole;
  if (title == QStringLiteral("Cancel")) return QMessageBox::RejectRole;
  return QMessageBox::ActionRole;
}

int returnCodeOf(const QAbstractButton* button) {
  return button ? button->property(kReturnCode).toInt() : 0;
}
}  // namespace

QMessageBox* Alert::build(QWidget* parent) const {
  auto* box = new QMessageBox(parent);
  box->setIcon(iconFor(alertStyle));
  box->setText(messageText);
  box->setInformativeText(informativeText);
  const QStringList titles = buttons_.isEmpty() ? QStringList{QStringLiteral("OK")} : buttons_;
  QPushButton* escape = nullptr;
  for (int i = 0; i < titles.size(); ++i) {
    QPushButton* button = box->addButton(titles[i], roleFor(i, titles[i]));
    button->setProperty(kReturnCode, FirstButtonReturn + i);
    if (i == 0) box->setDefaultButton(button);
    // Escape presses Cancel where there is one, else the last button.
    if (!escape || escape->text() != QStringLiteral("Cancel")) escape = button;
  }
  box->setEscapeButton(escape);
  return box;
}

QMessageBox* Alert::beginSheetModalForWindow(QWidget* window,
                                             std::function<void(int)> completion) const {
  QMessageBox* box = build(window);
  box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
  box->setAttribute(Qt::WA_DeleteOnClose);
  const QPointer<QWidget> owner = window;
  QObject::connect(box, &QMessageBox::finished, box,
                   [box, owner, completion = std::move(completion)](int) {
                     if (completion) completion(returnCodeOf(box->clickedButton()));
                     if (owner) SheetEnds::shared().tell(owner);
                   });
  box->open();
  return box;
}

int Alert::runModal(QWidget* parent) const {
  QMessageBox* box = build(parent);
  box->exec();
  const int code = returnCodeOf(box->clickedButton());
  delete box;
  return code;
}
