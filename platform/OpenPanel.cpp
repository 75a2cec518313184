#include "platform/OpenPanel.h"

#include <QFileDialog>

#include "platform/DialogFolder.h"

namespace {
OpenPanel::Chooser& chooser() {
  static OpenPanel::Chooser installed;
  return installed;
}
}  // namespace

void OpenPanel::setChooser(Chooser replacement) { chooser() = std::move(replacement); }

QStringList OpenPanel::chooseFiles(QWidget* parent, const Request& request) {
  if (chooser()) return chooser()(parent, request);
  QFileDialog dialog(parent, request.title);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  DialogFolder::prepare(dialog, request.frontFile);
  dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  QStringList patterns;
  for (const QString& suffix : request.suffixes)
    if (!suffix.isEmpty()) patterns << QStringLiteral("*.") + suffix;
  if (!patterns.isEmpty())
    dialog.setNameFilter(
        QStringLiteral("Vault documents (%1)").arg(patterns.join(QLatin1Char(' '))));
  if (!request.prompt.isEmpty()) dialog.setLabelText(QFileDialog::Accept, request.prompt);
  if (parent) dialog.setWindowModality(Qt::WindowModal);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}
