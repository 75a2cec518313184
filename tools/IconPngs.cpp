// Build tool: renders the SVG icon as square PNGs, for desktops and a window icon that need
// no SVG plug-in. Usage: IconPngs <icon.svg> <folder> <size>…  writes <folder>/<name>-<size>.png
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  const QStringList args = QGuiApplication::arguments();
  if (args.size() < 4) {
    std::fprintf(stderr, "usage: IconPngs <icon.svg> <folder> <size>…\n");
    return 2;
  }
  const QString name = QFileInfo(args[1]).completeBaseName();
  for (const QString& sizeText : args.mid(3)) {
    bool isNumber = false;
    const int size = sizeText.toInt(&isNumber);
    if (!isNumber || size <= 0) {
      std::fprintf(stderr, "not a size: %s\n", qPrintable(sizeText));
      return 2;
    }
    QImageReader reader(args[1]);
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    if (image.isNull()) {
      std::fprintf(stderr, "cannot render %s (is the Qt SVG image plug-in installed?): %s\n",
                   qPrintable(args[1]), qPrintable(reader.errorString()));
      return 1;
    }
    const QString out = QStringLiteral("%1/%2-%3.png").arg(args[2], name).arg(size);
    if (!image.save(out, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
      return 1;
    }
  }
  return 0;
}
