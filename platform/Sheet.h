#pragma once

#include <QDialog>
#include <functional>

// A dialog attached to a document window, modal for that window only. It ends with a return
// code: the one given to endSheet, or -1000 when it is closed by its own close action.
class Sheet : public QDialog {
  Q_OBJECT

 public:
  static constexpr int AbortReturn = -1000;

  explicit Sheet(QWidget* parent = nullptr);

  // Shows the sheet on window; completion runs once, after the sheet has closed.
  void beginSheet(QWidget* window, std::function<void(int)> completion);
  void endSheet(int returnCode);
  bool isSheetRunning() const { return running_; }

 protected:
  void reject() override;  // Escape and the window's close button

 private:
  std::function<void(int)> completion_;
  bool running_ = false;
};
