#include "platform/Sheet.h"

Sheet::Sheet(QWidget* parent) : QDialog(parent) { setWindowModality(Qt::WindowModal); }

void Sheet::beginSheet(QWidget* window, std::function<void(int)> completion) {
  if (running_) return;
  if (window && parentWidget() != window) setParent(window, windowFlags() | Qt::Sheet);
  setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
  completion_ = std::move(completion);
  running_ = true;
  open();
}

void Sheet::endSheet(int returnCode) {
  if (!running_) return;
  running_ = false;
  hide();
  // Taken out first: the completion may begin this sheet again.
  auto completion = std::move(completion_);
  completion_ = nullptr;
  if (completion) completion(returnCode);
}

void Sheet::reject() { endSheet(AbortReturn); }
