#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// Asks the user for files to open: the desktop's file dialog, modal for parent when there is
// one, opening where DialogFolder says. Tests put a chooser in its place.
class OpenPanel {
 public:
  struct Request {
    QString title;
    QString prompt;        // the accept button's text; empty for the desktop's own
    QStringList suffixes;  // allowed file name suffixes; empty or {""} for any file
    bool multiple = false;
    QString frontFile;  // the file of the vault in front, where the dialog opens
  };
  using Chooser = std::function<QStringList(QWidget* parent, const Request& request)>;

  // The chosen files; none when the user cancelled.
  static QStringList chooseFiles(QWidget* parent, const Request& request);
  // An empty chooser brings the dialog back.
  static void setChooser(Chooser chooser);
};
