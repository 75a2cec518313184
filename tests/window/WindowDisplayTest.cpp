// How the document window shows its records: dates in the user's time zone, the printout,
// the window's panes and size on the screen, and the table font.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimeZone>
#include <ctime>
#include <memory>
#include <set>

#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/window/VaultFixture.h"
#include "transfer/ExportWriter.h"
#include "vault/PasswordSheet.h"
#include "window/CategoriesSheet.h"
#include "window/FilterInfoPane.h"
#include "window/LockedPage.h"
#include "window/MainSplitView.h"
#include "window/MyTableDelegate.h"
#include "window/RecordDetailView.h"
#include "window/RecordTableModel.h"
#include "window/RecordTableView.h"
#include "window/TablePrinter.h"
#include "window/VaultDocumentWindow.h"

namespace {

using VaultFixture::kPassword;

// The process's time zone for one test.
class TimeZoneGuard {
 public:
  explicit TimeZoneGuard(const char* zone) : had_(qEnvironmentVariableIsSet("TZ")) {
    old_ = qgetenv("TZ");
    qputenv("TZ", zone);
    tzset();
  }
  ~TimeZoneGuard() {
    if (had_)
      qputenv("TZ", old_);
    else
      qunsetenv("TZ");
    tzset();
  }
  TimeZoneGuard(const TimeZoneGuard&) = delete;
  TimeZoneGuard& operator=(const TimeZoneGuard&) = delete;

 private:
  bool had_;
  QByteArray old_;
};

// A paint device that keeps the texts painted on it with their boxes, in its own units
// (points, for a printed page).
class TextRecorder : public QPaintDevice {
 public:
  struct Text {
    QString text;
    QRectF box;
  };

  explicit TextRecorder(const QSizeF& size) : size_(size) {}
  QPaintEngine* paintEngine() const override { return &engine_; }
  const std::vector<Text>& texts() const { return engine_.texts; }

 protected:
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth:
        return int(size_.width());
      case PdmHeight:
        return int(size_.height());
      case PdmWidthMM:
        return int(size_.width() * 25.4 / 72);
      case PdmHeightMM:
        return int(size_.height() * 25.4 / 72);
      case PdmNumColors:
        return 1 << 24;
      case PdmDepth:
        return 32;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return 72;
      case PdmDevicePixelRatio:
        return 1;
      case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    return 0;
  }

 private:
  class Engine : public QPaintEngine {
   public:
    Engine() : QPaintEngine(AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
      if (state.state() & DirtyTransform) transform = state.transform();
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
      const QRectF box(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent());
      texts.push_back({item.text(), transform.mapRect(box)});
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawEllipse(const QRectF&) override {}
    Type type() const override { return User; }

    QTransform transform;
    std::vector<Text> texts;
  };
  mutable Engine engine_;
  QSizeF size_;
};

// Settings of the test's own, with the application's registered values.
class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults = VaultFixture::settingsIn(
        dir, {{QStringLiteral("tableSortCompare"), Value::integer(2)},
              {QStringLiteral("tableFontFamily"), Value(QStringLiteral("Lucida Grande"))},
              {QStringLiteral("tableFontSize"), Value::real(12)},
              {QStringLiteral("tableFontBold"), Value::boolean(false)},
              {QStringLiteral("tableFontItalic"), Value::boolean(false)}});
  }
  void TearDown() override {
    for (auto* sheet : GuiDriver::visible<PasswordSheet>()) sheet->hide();
    GuiDriver::closeAllAlerts();
    for (auto& w : windows) delete w.data();
    docs.clear();
  }

  VaultDocumentWindow* newWindow() {
    docs.push_back(std::make_unique<MyDocument>());
    docs.back()->setPlainPassword(kPassword);
    auto* window = new VaultDocumentWindow(docs.back().get(), *defaults);
    windows << window;
    return window;
  }
  // A vault saved by fill, opened, shown and unlocked in its window.
  VaultDocumentWindow* unlockedFromFile(const std::function<void(MyDocument&)>& fill) {
    const QString path = dir.filePath(QStringLiteral("v%1.qvlt").arg(docs.size()));
    MyDocument source;
    source.setPlainPassword(kPassword);
    fill(source);
    EXPECT_TRUE(source.saveToURL(path));
    return unlocked(path);
  }
  VaultDocumentWindow* unlocked(const QString& path) {
    docs.push_back(std::make_unique<MyDocument>());
    MyDocument* doc = docs.back().get();
    EXPECT_TRUE(doc->readFromURL(path));
    doc->setFileURL(path);
    auto* window = new VaultDocumentWindow(doc, *defaults);
    windows << window;
    show(window);
    MainQueue::drain();
    window->passwordField()->setFocus();
    QTest::keyClicks(window->passwordField(), kPassword);
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    GuiDriver::settle();
    MainQueue::drain();
    GuiDriver::settle();
    EXPECT_FALSE(doc->isEncrypted());
    return window;
  }
  static void show(QWidget* window) {
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    GuiDriver::settle();
  }
  // The screen less its panels, where a window's frame has to lie.
  static QRect available(const QWidget* window) { return window->screen()->availableGeometry(); }
  // The desktop may tell the frame a moment after showing the window, which is then fitted.
  static void expectOnScreen(const QWidget* window) {
    const QRect area = available(window);
    EXPECT_TRUE(QTest::qWaitFor([&] { return area.contains(window->frameGeometry()); }, 5000))
        << "frame " << window->frameGeometry().x() << "," << window->frameGeometry().y() << " "
        << window->frameGeometry().width() << "x" << window->frameGeometry().height() << " on "
        << area.width() << "x" << area.height();
  }
  // Visible children of a widget that overlap or leave it, by name.
  static QStringList crowded(const QWidget* parent) {
    QList<QWidget*> shown;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (child->isVisibleTo(parent) && !child->isWindow()) shown << child;
    QStringList out;
    const auto name = [](const QWidget* w) {
      const auto* label = qobject_cast<const QLabel*>(w);
      return QString::fromLatin1(w->metaObject()->className()) + u' ' +
             (label ? label->text() : w->objectName());
    };
    for (int i = 0; i < shown.size(); ++i) {
      const QWidget* a = shown[i];
      if (!parent->rect().contains(a->geometry())) out << name(a) + QStringLiteral(" leaves");
      if (a->height() < a->minimumSizeHint().height()) out << name(a) + QStringLiteral(" squeezed");
      for (int j = i + 1; j < shown.size(); ++j)
        if (a->geometry().intersects(shown[j]->geometry()))
          out << name(a) + QStringLiteral(" over ") + name(shown[j]);
    }
    return out;
  }
  // Texts of one printed page, painted through the printing code.
  static std::vector<TextRecorder::Text> printedTexts(const TablePrinter& printing,
                                                      const QPageLayout& layout, int page) {
    TextRecorder device(layout.paintRectPoints().size());
    QPainter painter(&device);
    printing.paintPage(painter, layout, page);
    painter.end();
    return device.texts();
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::vector<std::unique_ptr<MyDocument>> docs;
  QList<QPointer<VaultDocumentWindow>> windows;
};

// Dates are stored as moments; each place that shows one shows the user's wall-clock time.
TEST_F(DisplayTest, DatesShowInTheUsersTimeZoneWhereverTheyAppear) {
  const QDateTime created(QDate(2024, 1, 5), QTime(23, 30, 15), Qt::UTC);
  const QDateTime modified(QDate(2024, 7, 1), QTime(12, 5, 0), Qt::UTC);
  for (const char* zone : {"Europe/Berlin", "Pacific/Auckland", "America/Los_Angeles"}) {
    SCOPED_TRACE(zone);
    const TimeZoneGuard inZone(zone);
    // The zone's wall clock, from the time zone database rather than the process's zone.
    const auto wallClock = [zone](const QDateTime& utc) {
      const QDateTime there = utc.toTimeZone(QTimeZone(QByteArray(zone)));
      return QDateTime(there.date(), there.time(), Qt::LocalTime);
    };
    VaultDocumentWindow* window = newWindow();
    MyDocument& doc = *window->document();
    const DictRef record = VaultFixture::addRecord(doc, QStringLiteral("Dated"), {});
    record->setValue(RecordKeys::creationDate(), Date::fromDateTime(created));
    record->setValue(RecordKeys::modificationDate(), Date::fromDateTime(modified));
    record->setValue(RecordKeys::usageCount(), Value::integer(3));
    window->perform(QStringLiteral("setColumnVisibilityAll:"));
    show(window);
    window->tableView()->resizeColumnsToContents();
    doc.recordController().setSelectionIndex(0);
    GuiDriver::settle();
    MainQueue::drain();

    const QString shortCreated = QLocale().toString(wallClock(created), QLocale::ShortFormat);
    const QString shortModified = QLocale().toString(wallClock(modified), QLocale::ShortFormat);
    ASSERT_NE(shortCreated, QLocale().toString(created, QLocale::ShortFormat));
    const RecordTableModel& model = *window->tableModel();
    const auto cell = [&](const char* column) {
      return model
          .data(model.index(0, model.columnOf(QString::fromLatin1(column))), Qt::DisplayRole)
          .toString();
    };
    EXPECT_EQ(cell("createdDate"), shortCreated);
    EXPECT_EQ(cell("modificationDate"), shortModified);

    QStringList labels;
    for (const QLabel* l : window->detailView()->findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains(QLocale().toString(wallClock(created), QLocale::LongFormat)))
        << labels.join(u'|').toStdString();
    EXPECT_TRUE(labels.contains(QLocale().toString(wallClock(modified), QLocale::LongFormat)));
    EXPECT_FALSE(labels.join(u'|').contains(u"UTC"));

    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                         QMarginsF(36, 36, 36, 36), QPageLayout::Point);
    QStringList printed;
    for (const auto& t : printedTexts(TablePrinter(window->tableView()), a4, 1)) printed << t.text;
    EXPECT_TRUE(printed.contains(shortCreated)) << printed.join(u'|').toStdString();
    EXPECT_TRUE(printed.contains(shortModified));

    auto field = Dictionary::create();
    field->setValue(QStringLiteral("publicKey"), QStringLiteral("Created"));
    field->setValue(QStringLiteral("innerKey"), RecordKeys::creationDate());
    EXPECT_EQ(ExportWriter::text({record}, {field}, {}),
              QLocale().toString(wallClock(created).date(), QLocale::ShortFormat));
    delete window;
  }
}

// Every shown column reaches the paper, under its title on every page, and every row is
// printed whole on exactly one page, whatever the paper and its orientation.
TEST_F(DisplayTest, AWideTablePrintsEveryColumnUnderItsTitlesOnEveryPage) {
  VaultDocumentWindow* window = newWindow();
  MyDocument& doc = *window->document();
  VaultFixture::fillTwenty(doc);
  for (int i = 0; i < 300; ++i)
    VaultFixture::addRecord(doc, QStringLiteral("Extra record %1").arg(i), {}, QStringLiteral("pw"),
                            Date{710000000.0 + i * 3600});
  int uses = 0;
  for (const DictRef& r : doc.recordController().arrangedObjects()) {
    r->setValue(RecordKeys::usageCount(), Value::integer(1000 + uses++));
    r->setValue(RecordKeys::security(), QStringLiteral("answer"));
  }
  window->perform(QStringLiteral("setColumnVisibilityAll:"));
  window->resize(1200, 700);
  show(window);
  // Wide enough for every value and title, so what is printed can be told apart.
  RecordTableView* table = window->tableView();
  table->resizeColumnsToContents();
  QHeaderView* header = table->horizontalHeader();
  const RecordTableModel& model = *window->tableModel();
  QStringList titles;
  for (int c = 0; c < model.columnCount(); ++c) {
    const QString title = model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    titles << title;
    header->resizeSection(c, std::max(header->sectionSize(c) + 40,
                                      header->fontMetrics().horizontalAdvance(title) + 24));
  }
  // What a cell shows (numbers in the locale's digits).
  const auto shown = [&](int row, const char* column) {
    const QVariant value =
        model.data(model.index(row, model.columnOf(QString::fromLatin1(column))), Qt::DisplayRole);
    return value.isValid()
               ? static_cast<QStyledItemDelegate*>(table->itemDelegate())->displayText(value, {})
               : QString();
  };
  ASSERT_EQ(titles.size(), 12);
  int tableWidth = 0;
  for (int c = 0; c < 12; ++c) tableWidth += header->sectionSize(c);

  const TablePrinter printing(table);
  const struct {
    const char* paper;
    QPageLayout layout;
  } papers[] = {
      {"A4 portrait", QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(36, 36, 36, 36), QPageLayout::Point)},
      {"A4 landscape", QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                   QMarginsF(36, 36, 36, 36), QPageLayout::Point)},
      {"Letter, wide margins", QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                           QMarginsF(90, 72, 90, 72), QPageLayout::Point)},
  };
  float portraitScale = 0;
  for (const auto& p : papers) {
    SCOPED_TRACE(p.paper);
    const TablePagination pages = printing.paginate(p.layout);
    const QRectF printable(QPointF(0, 0), p.layout.paintRectPoints().size());
    ASSERT_GT(tableWidth, printable.width());
    EXPECT_NEAR(pages.scale * tableWidth, printable.width(), 1);
    ASSERT_GT(pages.pageCount, 1);
    if (p.layout.orientation() == QPageLayout::Portrait && portraitScale == 0)
      portraitScale = pages.scale;
    if (p.layout.orientation() == QPageLayout::Landscape) {
      EXPECT_GT(pages.scale, portraitScale);
    }

    std::map<int, int> pageOfRow;  // by the record's usage count, one per record
    for (int page = 1; page <= pages.pageCount; ++page) {
      const std::vector<TextRecorder::Text> texts = printedTexts(printing, p.layout, page);
      double titlesBottom = 0;
      for (const QString& title : titles) {
        int found = 0;
        for (const auto& t : texts)
          if (t.text == title) {
            ++found;
            titlesBottom = std::max(titlesBottom, t.box.bottom());
          }
        EXPECT_EQ(found, 1) << title.toStdString() << " on page " << page;
      }
      for (const auto& t : texts) {
        EXPECT_TRUE(printable.adjusted(-0.5, -0.5, 0.5, 0.5).contains(t.box))
            << t.text.toStdString() << " cut on page " << page;
        bool isCount = false;
        const int count = QLocale().toInt(t.text, &isCount);
        if (!isCount || count < 1000) continue;
        EXPECT_GE(t.box.top(), titlesBottom - 0.5) << "row under the titles";
        EXPECT_EQ(pageOfRow.count(count), 0u) << "row " << count << " printed twice";
        pageOfRow[count] = page;
      }
      std::set<QString> onPage;
      for (const auto& t : texts) onPage.insert(t.text);
      // Every column of each printed row: its name, user ID, e-mail and last column.
      for (int row = pages.firstRowOnPage(page);
           row < pages.firstRowOnPage(page) + pages.rowsOnPage(page, model.rowCount()); ++row)
        for (const char* column : {"category", "name", "userID", "security", "email",
                                   "modificationDate", "usageCount"}) {
          const QString value = shown(row, column);
          if (value.isEmpty()) continue;
          EXPECT_TRUE(onPage.count(value)) << column << " of row " << row << " on page " << page;
        }
    }
    EXPECT_EQ(int(pageOfRow.size()), model.rowCount());
  }

  // Printed to a PDF: one page of paper per page of the table.
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageLayout(papers[1].layout);
  const QString path = dir.filePath(QStringLiteral("wide.pdf"));
  printer.setOutputFileName(path);
  ASSERT_TRUE(printing.print(&printer));
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  static const QRegularExpression pageObject(QStringLiteral("/Type\\s*/Page[^s]"));
  EXPECT_EQ(QString::fromLatin1(pdf.readAll()).count(pageObject),
            printing.paginate(papers[1].layout).pageCount);

  if (const QString folder = qEnvironmentVariable("QV_SCREENSHOTS"); !folder.isEmpty()) {
    QFile::remove(folder + QStringLiteral("/printed-12-columns.pdf"));
    QFile::copy(path, folder + QStringLiteral("/printed-12-columns.pdf"));
    for (const auto& [name, layout] :
         {std::pair{"portrait", papers[0].layout}, std::pair{"landscape", papers[1].layout}}) {
      printing.renderPage(layout, 2, 1.0)
          .save(folder + QStringLiteral("/printed-12-columns-%1.png").arg(QLatin1String(name)));
      printing.renderPage(layout, 2, 2.0)
          .save(folder + QStringLiteral("/printed-12-columns-%1@2x.png").arg(QLatin1String(name)));
    }
  }
}

// The detail pane comes back at the width it had before it was collapsed, or, when there is
// none (a file saved with it collapsed), at its minimum as in a new document; never
// squeezing the table to its own minimum.
TEST_F(DisplayTest, ACollapsedDetailPaneComesBackAtItsWidthOrAtItsMinimum) {
  const auto dragDivider = [](MainSplitView* split, int by) {
    QWidget* handle = split->handle(1);
    const QPoint grip = handle->rect().center();
    QTest::mousePress(handle, Qt::LeftButton, {}, grip);
    QTest::mouseMove(handle, grip + QPoint(by, 0));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(by, 0));
    GuiDriver::settle();
  };
  const struct {
    const char* how;
    std::function<VaultDocumentWindow*()> collapsed;
    double expected;
  } cases[] = {
      {"dragged shut",
       [&] {
         VaultDocumentWindow* w = newWindow();
         VaultFixture::fillTwenty(*w->document());
         w->resize(1200, 640);
         show(w);
         dragDivider(w->mainSplitView(), -100);  // 630 wide
         dragDivider(w->mainSplitView(), 700);
         return w;
       },
       630},
      {"saved collapsed",
       [&] {
         VaultDocumentWindow* w = newWindow();
         VaultFixture::fillTwenty(*w->document());
         w->resize(1200, 640);
         show(w);
         w->perform(QStringLiteral("toggleCollapseExpandMainView:"));
         const QString path = dir.filePath(QStringLiteral("collapsed.qvlt"));
         EXPECT_TRUE(w->document()->saveToURL(path));
         VaultDocumentWindow* reopened = unlocked(path);
         reopened->resize(1200, 640);  // wider than the test's screen lets a file make it
         GuiDriver::settle();
         return reopened;
       },
       530},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    VaultDocumentWindow* window = c.collapsed();
    MainSplitView* split = window->mainSplitView();
    ASSERT_TRUE(window->detailViewCollapsed());
    ASSERT_EQ(split->panes().right, 0);
    ASSERT_TRUE(window->perform(QStringLiteral("toggleCollapseExpandMainView:")));
    EXPECT_EQ(split->panes().right, c.expected);
    EXPECT_GT(split->panes().left, 260);
    EXPECT_FALSE(window->detailViewCollapsed());
  }
}

TEST_F(DisplayTest, AtItsMinimumSizeTheDetailViewShowsEveryField) {
  VaultDocumentWindow* window = newWindow();
  VaultFixture::fillTwenty(*window->document());
  show(window);
  window->document()->recordController().setSelectionIndex(2);
  GuiDriver::settle();
  window->resize(window->minimumSize());
  GuiDriver::settle();
  ASSERT_EQ(window->size(), window->minimumSize());
  RecordDetailView* detail = window->detailView();
  EXPECT_EQ(crowded(detail).join(u'|').toStdString(), "");
  // The dates are there, not squeezed away.
  int dates = 0;
  for (const QLabel* l : detail->findChildren<QLabel*>())
    if (l->text().contains(u"2023") && l->isVisibleTo(detail) && l->height() > 0) ++dates;
  EXPECT_EQ(dates, 2);
  GuiDriver::snapshot(window, QStringLiteral("document-window-minimum-size"));

  // A search brings the filter pane above the table: the window makes room for it, and that
  // is no edit of the document.
  window->document()->updateChangeCount(ChangeCounting::ChangeCleared);
  const int before = window->height();
  QTest::keyClicks(window->toolbarSearchField(), QStringLiteral("a"));
  MainQueue::drain();
  GuiDriver::settle();
  ASSERT_TRUE(window->filterInfoPane()->isVisible());
  EXPECT_GT(window->height(), before);
  EXPECT_EQ(crowded(detail).join(u'|').toStdString(), "");
  EXPECT_FALSE(window->document()->isDocumentEdited());
}

// Frames from a file, and windows at a device scale that makes the screen small, lie on the
// screen: the whole frame, title bar included, inside its available area.
class WindowScreenTest : public DisplayTest {};

TEST_F(WindowScreenTest, RestoredFramesLieOnTheScreen) {
  VaultDocumentWindow* window =
      unlockedFromFile([](MyDocument& d) { VaultFixture::fillTwenty(d); });
  const QRect area = available(window);
  const double screenHeight = window->screen()->geometry().height();
  // Frames as files store them: origin at the lower left of the screen.
  const struct {
    const char* what;
    Rect frame;
  } frames[] = {
      {"title bar above the screen", Rect{40, screenHeight - 300, 900, 620}},
      {"larger than the screen", Rect{0, 0, 5000, 4000}},
      {"off to the lower right", Rect{double(area.width()) - 20, -500, 900, 600}},
      {"off to the left", Rect{-3000, 100, 900, 600}},
      {"as large as the screen", Rect{0, 0, double(area.width()), double(area.height())}},
  };
  for (const auto& f : frames) {
    SCOPED_TRACE(f.what);
    window->setFrame(f.frame, true);
    GuiDriver::settle();
    expectOnScreen(window);
  }
}

TEST_F(WindowScreenTest, ANewWindowAndALockedOneFitTheScreen) {
  VaultDocumentWindow* fresh = newWindow();
  show(fresh);
  expectOnScreen(fresh);

  VaultDocumentWindow* window =
      unlockedFromFile([](MyDocument& d) { VaultFixture::fillTwenty(d); });
  window->document()->lockAutomatically();
  MainQueue::drain();
  GuiDriver::settle();
  ASSERT_TRUE(window->showsLockedLayout());
  expectOnScreen(window);
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_EQ(window->size(), window->minimumSize());
  auto* page = window->findChild<LockedPage*>();
  ASSERT_TRUE(page);
  EXPECT_EQ(crowded(page).join(u'|').toStdString(), "");
  GuiDriver::snapshot(window, QStringLiteral("document-window-locked-fitted"));
}

// Vaults opened one after another each get a window of their own place: down and to the right
// of the one before by a title bar's height, where the screen has room, and never one on top of
// another; new documents' windows likewise.
TEST_F(WindowScreenTest, EachNewWindowCascadesOffTheOnesOpen) {
  MyDocument source;
  source.setPlainPassword(kPassword);
  VaultFixture::fillTwenty(source);
  const QString path = dir.filePath(QStringLiteral("cascade.qvlt"));
  ASSERT_TRUE(source.saveToURL(path));
  for (const bool locked : {true, false}) {
    SCOPED_TRACE(locked ? "vaults from a file" : "new documents");
    std::vector<VaultDocumentWindow*> open;
    for (int i = 0; i < 3; ++i) {
      VaultDocumentWindow* w = nullptr;
      if (locked) {
        docs.push_back(std::make_unique<MyDocument>());
        ASSERT_TRUE(docs.back()->readFromURL(path));
        docs.back()->setFileURL(path);
        w = new VaultDocumentWindow(docs.back().get(), *defaults);
        windows << w;
      } else {
        w = newWindow();
      }
      show(w);
      MainQueue::drain();
      GuiDriver::settle();
      expectOnScreen(w);
      open.push_back(w);
    }
    const int titleBar = open[0]->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    for (std::size_t i = 1; i < open.size(); ++i) {
      const QRect before = open[i - 1]->geometry(), now = open[i]->geometry();
      const QRect area = open[i]->clientArea();
      const QSize room = area.size() - now.size();
      const QPoint moved = now.topLeft() - before.topLeft();
      // A screen with less room than two title bars either way leaves it nowhere else to go.
      if (room.width() < 2 * titleBar && room.height() < 2 * titleBar) continue;
      EXPECT_GE(std::max(std::abs(moved.x()), std::abs(moved.y())), titleBar) << i;
      if (room.width() >= 2 * titleBar && room.height() >= 2 * titleBar) {
        EXPECT_EQ(moved.x(), moved.y()) << i;
      }
    }
    for (VaultDocumentWindow* w : open) delete w;
  }
}

TEST_F(WindowScreenTest, LockingKeepsTheWindowsLeftAndTopEdges) {
  VaultDocumentWindow* window =
      unlockedFromFile([](MyDocument& d) { VaultFixture::fillTwenty(d); });
  const QRect outer = window->frameGeometry(), inner = window->geometry();
  // The screen's room for the window within its frame.
  const QRect area =
      available(window).adjusted(inner.left() - outer.left(), inner.top() - outer.top(),
                                 inner.right() - outer.right(), inner.bottom() - outer.bottom());
  const QSize locked = QSize(VaultDocumentWindow::kLockedWidth, VaultDocumentWindow::kLockedHeight)
                           .boundedTo(area.size());
  // Where the locked window fits to the right and below (at the top of a screen that only
  // just holds it).
  const QPoint at(area.left(), area.top() + std::min(30, area.height() - locked.height()));
  window->setGeometry(QRect(at, window->size().boundedTo(area.size() - QSize(20, 40))));
  GuiDriver::settle();
  const QPoint before = window->geometry().topLeft();
  window->document()->lockAutomatically();
  MainQueue::drain();
  GuiDriver::settle();
  ASSERT_TRUE(window->document()->isEncrypted());
  ASSERT_LE(before.y() + locked.height(), area.bottom() + 1);
  EXPECT_EQ(window->geometry().topLeft(), before);
  EXPECT_EQ(window->size(), locked);
  expectOnScreen(window);
}

// The table font settings reach the table's rows and labels and the categories sheet of every
// open window at once, and rows grow to hold the font.
TEST_F(DisplayTest, TheTableFontFollowsItsSettingsInEveryOpenWindow) {
  std::vector<VaultDocumentWindow*> open;
  for (int i = 0; i < 2; ++i) {
    VaultDocumentWindow* w = newWindow();
    VaultFixture::fillTwenty(*w->document());
    show(w);
    ASSERT_TRUE(w->perform(QStringLiteral("editCategoriesSheet:")));
    GuiDriver::settle();
    ASSERT_TRUE(w->categoriesSheet());
    open.push_back(w);
  }
  const int smallRow = open[0]->tableView()->rowHeight(0);
  defaults->setString(QStringLiteral("tableFontFamily"), QStringLiteral("DejaVu Serif"));
  defaults->setDouble(QStringLiteral("tableFontSize"), 26);
  defaults->setBool(QStringLiteral("tableFontBold"), true);
  defaults->setBool(QStringLiteral("tableFontItalic"), true);
  GuiDriver::settle();
  for (VaultDocumentWindow* w : open) {
    for (const QFont& font : {w->tableView()->tableFont(), w->categoriesSheet()->labelFont()}) {
      EXPECT_EQ(font.family(), u"DejaVu Serif");
      EXPECT_EQ(font.pixelSize(), 26);
      EXPECT_TRUE(font.bold());
      EXPECT_TRUE(font.italic());
    }
    const int fontHeight = QFontMetrics(w->tableView()->tableFont()).height();
    RecordTableView* table = w->tableView();
    // A label is drawn a point inside the cell: the row holds it whole.
    EXPECT_GE(table->rowHeight(0) - 2, fontHeight);
    EXPECT_GT(table->rowHeight(0), smallRow);
    EXPECT_GE(w->categoriesSheet()->categoryTable()->rowHeight(0) - 2, fontHeight);
    // The rows' text is in the font too, not only the labels.
    QStyleOptionViewItem option;
    option.initFrom(table);
    const QModelIndex name = table->model()->index(0, 1);
    EXPECT_GE(table->itemDelegate()->sizeHint(option, name).height(), fontHeight);
  }
  open[0]->resize(1000, 560);
  GuiDriver::settle();
  GuiDriver::snapshot(open[0], QStringLiteral("document-window-large-table-font"));
  GuiDriver::snapshot(open[0]->categoriesSheet(),
                      QStringLiteral("categories-sheet-large-table-font"));
}

TEST_F(DisplayTest, TheTableFontIsTheOneTheSettingsNameOrTheDesktops) {
  const QString desktop = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  ASSERT_NE(desktop, u"DejaVu Serif");
  const struct {
    const char* family;  // nullptr: none stored
    double size;
    bool bold, italic;
    const char* expectedFamily;  // nullptr: the desktop's
    int expectedSize;
  } cases[] = {
      {nullptr, 0, false, false, nullptr, 12},
      {"Lucida Grande", 14, true, false, nullptr, 14},  // the other editions' default, stored
      {"No Such Family Anywhere", 18, false, true, nullptr, 18},
      {"", 12, true, true, nullptr, 12},
      {"DejaVu Serif", 200, false, false, "DejaVu Serif", 12},
      {"dejavu serif", 5, true, false, "dejavu serif", 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.family ? c.family : "(none)");
    if (c.family) {
      defaults->setString(QStringLiteral("tableFontFamily"), QString::fromLatin1(c.family));
      defaults->setDouble(QStringLiteral("tableFontSize"), c.size);
    } else {
      defaults->removeObjectForKey(QStringLiteral("tableFontFamily"));
      defaults->removeObjectForKey(QStringLiteral("tableFontSize"));
    }
    defaults->setBool(QStringLiteral("tableFontBold"), c.bold);
    defaults->setBool(QStringLiteral("tableFontItalic"), c.italic);
    const QFont font = MyTableDelegate::labelFontFromSettings(*defaults);
    EXPECT_EQ(font.family(), c.expectedFamily ? QString::fromLatin1(c.expectedFamily) : desktop);
    EXPECT_EQ(font.pixelSize(), c.expectedSize);
    EXPECT_EQ(font.bold(), c.bold);
    EXPECT_EQ(font.italic(), c.italic);
  }
}

}  // namespace
