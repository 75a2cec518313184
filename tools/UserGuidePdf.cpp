// Build tool: renders the user guide's Markdown text into the PDF installed with the
// application. Usage: UserGuidePdf <guide.md> <guide.pdf>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  const QStringList args = QGuiApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: UserGuidePdf <guide.md> <guide.pdf>\n");
    return 2;
  }
  QFile source(args[1]);
  if (!source.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s: %s\n", qPrintable(args[1]),
                 qPrintable(source.errorString()));
    return 1;
  }
  QTextDocument guide;
  guide.setMarkdown(QString::fromUtf8(source.readAll()));

  QPdfWriter pdf(args[2]);
  pdf.setTitle(QStringLiteral("Quorlith 4 User Guide"));
  pdf.setCreator(QStringLiteral("Quorlith"));
  pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
  pdf.setResolution(300);
  QFont body = guide.defaultFont();
  body.setPointSizeF(11);
  guide.setDefaultFont(body);
  guide.print(&pdf);
  if (!QFile::exists(args[2])) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(args[2]));
    return 1;
  }
  return 0;
}
