#include "transfer/LoadingFileSheet.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QVBoxLayout>
#include <memory>
#include <optional>

LoadingFileSheet::LoadingFileSheet(QWidget* window, const QString& path) : Sheet(window) {
  setObjectName(QStringLiteral("loadingFileSheet"));
  setWindowTitle(QStringLiteral("Reading"));
  auto* layout = new QVBoxLayout(this);
  text_ = new QLabel(QStringLiteral("Reading “%1”…").arg(QFileInfo(path).fileName()), this);
  text_->setTextFormat(Qt::PlainText);
  layout->addWidget(text_);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("loadingFileSheetProgressIndicator"));
  progress_->setRange(0, 0);  // no end known: it only shows that work goes on
  progress_->setTextVisible(false);
  layout->addWidget(progress_);
  setMinimumWidth(text_->fontMetrics().averageCharWidth() * 48);
}

LoadingFileSheet::~LoadingFileSheet() {
  // A window closed meanwhile waits for the read, whose result then goes unused (and wiped).
  if (thread_) thread_->wait();
}

void LoadingFileSheet::load(QWidget* window, const QString& path, qint32 format, qint32 encoding,
                            Done done) {
  auto* sheet = new LoadingFileSheet(window, path);
  auto result = std::make_shared<std::optional<Result<ImportFile, ImportError>>>();
  sheet->thread_ = QThread::create([result, path, format, encoding] {
    result->emplace(ImportFile::read(path, format, encoding));
  });
  sheet->thread_->setParent(sheet);
  QPointer<QWidget> win(window);
  connect(sheet->thread_, &QThread::finished, sheet, [sheet, result, win, done = std::move(done)] {
    sheet->closeLoadingFileSheet();
    sheet->deleteLater();
    if (win && result->has_value()) done(std::move(**result));
  });
  sheet->showLoadingFileSheet(window);
  sheet->thread_->start();
}

void LoadingFileSheet::showLoadingFileSheet(QWidget* window) { beginSheet(window, {}); }

void LoadingFileSheet::closeLoadingFileSheet() { endSheet(0); }
