#pragma once

#include <QPointer>
#include <functional>

#include "platform/Sheet.h"
#include "transfer/ImportFile.h"

class QLabel;
class QProgressBar;
class QThread;

// The loading sheet ("loadingFileSheet"): up on a window while an import file is read and
// split on a worker thread, so the window keeps drawing; the result comes back on the main
// thread once the sheet has closed. There is nothing to cancel: the read ends by itself.
class LoadingFileSheet : public Sheet {
  Q_OBJECT

 public:
  using Done = std::function<void(Result<ImportFile, ImportError>)>;

  // Shows the sheet on window and reads the file; done runs unless the window went first.
  static void load(QWidget* window, const QString& path, qint32 format, qint32 encoding, Done done);

  ~LoadingFileSheet() override;

  QProgressBar* progressIndicator() const { return progress_; }

  // The sheet on its window, with a completion that does nothing; its end, with code 0.
  void showLoadingFileSheet(QWidget* window);
  void closeLoadingFileSheet();

 protected:
  void reject() override {}  // Escape waits for the read, as the window does

 private:
  LoadingFileSheet(QWidget* window, const QString& path);

  QLabel* text_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QThread* thread_ = nullptr;
};
