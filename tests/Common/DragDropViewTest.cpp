#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>
#include <memory>

#include "Common/ZVDragDropView.h"

namespace {

// What one drag brings, and whether it drops or only passes over the area.
struct Drag {
  QList<QUrl> urls;
  QString text;
  Qt::DropActions actions = Qt::LinkAction;
};

// Every value each property took, in order, and whether the area lit up for the drag.
struct Seen {
  QStringList files, urls;
  bool lit = false;
};

template <typename View>
Seen dragOnto(View& view, const Drag& drag, bool drop) {
  Seen seen;
  QObject scope;  // the connections end with this drag
  QObject::connect(&view, &DropTargetView::hilitedChanged, &scope,
                   [&](bool on) { seen.lit |= on; });
  if constexpr (!std::is_same_v<View, ZVDragDropViewUrl>)
    QObject::connect(&view, &View::myFilePathDroppedChanged,
                     [&](const QString& p) { seen.files << p; });
  if constexpr (!std::is_same_v<View, ZVDragDropView>)
    QObject::connect(&view, &View::myUrlPathDroppedChanged,
                     [&](const QString& u) { seen.urls << u; });
  QMimeData data;
  if (!drag.urls.isEmpty()) data.setUrls(drag.urls);
  if (!drag.text.isEmpty()) data.setText(drag.text);
  const QPoint at(5, 5);
  QDragEnterEvent enter(at, drag.actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&view, &enter);
  if (enter.isAccepted() && drop) {
    QDropEvent dropped(at, drag.actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &dropped);
  } else {
    QDragLeaveEvent leave;
    QApplication::sendEvent(&view, &leave);
  }
  EXPECT_FALSE(view.hilited());
  return seen;
}

Drag urls(QList<QUrl> list, Qt::DropActions actions = Qt::LinkAction) {
  return Drag{std::move(list), QString(), actions};
}
Drag text(const char* t, Qt::DropActions actions = Qt::CopyAction) {
  return Drag{{}, QString::fromLatin1(t), actions};
}
QStringList list(std::initializer_list<const char*> items) {
  QStringList out;
  for (const char* item : items) out << QString::fromLatin1(item);
  return out;
}

const QUrl a = QUrl::fromLocalFile(QStringLiteral("/tmp/a.pdf"));
const QUrl b = QUrl::fromLocalFile(QStringLiteral("/tmp/b.pdf"));
const QUrl c = QUrl::fromLocalFile(QStringLiteral("/tmp/c.pdf"));
const QUrl web(QStringLiteral("http://bank.example/login"));

TEST(DragDropViewTest, FilesAreReportedOneAfterTheOtherAndOnlyFilesAreTaken) {
  ZVDragDropView view;
  Seen seen = dragOnto(view, urls({a, b, c}), true);
  EXPECT_TRUE(seen.lit);
  EXPECT_EQ(seen.files, list({"/tmp/a.pdf", "/tmp/b.pdf", "/tmp/c.pdf"}));
  EXPECT_EQ(view.myFilePathDropped(), QStringLiteral("/tmp/c.pdf"));
  // The same path again is reported again.
  EXPECT_EQ(dragOnto(view, urls({c}), true).files, list({"/tmp/c.pdf"}));
  seen = dragOnto(view, urls({web}), true);
  EXPECT_FALSE(seen.lit);
  EXPECT_TRUE(seen.files.isEmpty());
}

TEST(DragDropViewTest, FileOrUrlTakesTheFirstFileElseTheAddress) {
  ZVDragDropViewFileUrl view;
  Seen seen = dragOnto(view, urls({a, b, web}), true);
  EXPECT_EQ(seen.files, list({"/tmp/a.pdf"}));
  EXPECT_TRUE(seen.urls.isEmpty());
  seen = dragOnto(view, urls({web}), true);
  EXPECT_TRUE(seen.files.isEmpty());
  EXPECT_EQ(seen.urls, list({"http://bank.example/login"}));
  // Passing over without dropping lights the area and changes nothing.
  seen = dragOnto(view, urls({b}), false);
  EXPECT_TRUE(seen.lit);
  EXPECT_TRUE(seen.files.isEmpty());
  EXPECT_EQ(view.myFilePathDropped(), QStringLiteral("/tmp/a.pdf"));
}

TEST(DragDropViewTest, UrlTakesAWebAddressAsUrlOrText) {
  struct Case {
    const char* name;
    Drag drag;
    QStringList urls;
  };
  const Case cases[] = {
      {"url", urls({web}), list({"http://bank.example/login"})},
      {"secure url", urls({QUrl(QStringLiteral("https://bank.example"))}),
       list({"https://bank.example"})},
      {"text", text("http://bank.example/a"), list({"http://bank.example/a"})},
      {"other text", text("not an address"), {}},
      {"file", urls({a}), {}},
      {"move only", urls({web}, Qt::MoveAction), {}},
  };
  for (const Case& c : cases) {
    ZVDragDropViewUrl view;
    const Seen seen = dragOnto(view, c.drag, true);
    EXPECT_EQ(seen.urls, c.urls) << c.name;
    EXPECT_EQ(seen.lit, !c.urls.isEmpty()) << c.name;
  }
}

}  // namespace
