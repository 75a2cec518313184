// The document window: its two pages (the record table beside the detail view, and the locked
// page), the toolbar, the selection kept in step with the record list, the locked and
// unlocked layouts and the window's frame on its screen.
#include "window/VaultDocumentWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "Common/ZVTextFieldExt.h"
#include "platform/MainQueue.h"
#include "platform/Pasteboard.h"
#include "platform/Sheet.h"
#include "platform/UserDefaults.h"
#include "vault/MyDocument.h"
#include "vault/VaultKeys.h"
#include "window/CategoriesSheet.h"
#include "window/FilterInfoPane.h"
#include "window/LockedPage.h"
#include "window/MainSplitView.h"
#include "window/MyTableDelegate.h"
#include "window/PasswordToDecriptFieldDelegate.h"
#include "window/RecordDetailView.h"
#include "window/RecordSearchController.h"
#include "window/RecordTableModel.h"
#include "window/RecordTableView.h"
#include "window/SecureLineEdit.h"
#include "window/TableColumns.h"
#include "window/WindowPlacement.h"

namespace {
constexpr int kRecordPage = 0;
constexpr int kLockedPage = 1;
constexpr int kNewWindowWidth = 1000;
constexpr int kNewWindowHeight = 600;
// A desktop tells a window's frame a moment after showing it, or never (one that draws no
// frame): looked for this often, for at most a second.
constexpr int kFrameChecks = 20;
constexpr int kFrameCheckInterval = 50;  // milliseconds

// Marks a stretch of work as the program's own.
class Programmatic {
 public:
  explicit Programmatic(int& depth) : depth_(depth) { ++depth_; }
  ~Programmatic() { --depth_; }
  Programmatic(const Programmatic&) = delete;
  Programmatic& operator=(const Programmatic&) = delete;

 private:
  int& depth_;
};
}  // namespace

VaultDocumentWindow::VaultDocumentWindow(MyDocument* document, UserDefaults& defaults,
                                         QWidget* parent)
    : QMainWindow(parent), document_(document), defaults_(defaults) {
  setAttribute(Qt::WA_DeleteOnClose);
  pages_ = new QStackedWidget(this);
  pages_->insertWidget(kRecordPage, buildRecordPage());
  pages_->insertWidget(kLockedPage, buildLockedPage());
  setCentralWidget(pages_);
  buildToolbar();
  search_ = new RecordSearchController(document, searchField_, categoryMenu_, infoPane_, this);
  buildCommands();
  buildRecordCommands();
  buildPushPullCommands();

  document->setWindow(this);
  connect(document, &ZVCryptoDoc::passwordStateChanged, this, &VaultDocumentWindow::updateLayout);
  connect(document, &Document::changeCountChanged, this, &VaultDocumentWindow::updateTitle);
  // The commands wait while a sheet is up; however it ends, they follow the document again.
  connect(&SheetEnds::shared(), &SheetEnds::ended, this, [this](QWidget* window) {
    if (window == this) refreshCommands();
  });
  connect(document, &Document::fileURLChanged, this, [this] {
    updateTitle();
    refreshCommands();
  });
  // The document closes first (close command, a refused password); its window follows.
  connect(document, &Document::documentClosed, this, [this] {
    // Its fields are wiped as at the lock: Qt frees a widget's text unwiped.
    detail_->setRecord(nullptr);
    Pasteboard::withdrawSecrets(this);
    closeApproved_ = true;
    close();
  });
  // A document dropped without closing (the controller going away) takes its window along.
  connect(document, &QObject::destroyed, this, &QObject::deleteLater);
  windowControllerDidLoadNib();
}

VaultDocumentWindow::~VaultDocumentWindow() {
  Pasteboard::withdrawSecrets(this);
  if (document_ && document_->window() == this) document_->setWindow(nullptr);
}

QWidget* VaultDocumentWindow::buildLockedPage() {
  lockedPage_ = new LockedPage(pages_);
  lockedPage_->setObjectName(QStringLiteral("lockedPage"));
  passwordField_ = lockedPage_->passwordField();
  connect(passwordField_, &QLineEdit::returnPressed, this, &VaultDocumentWindow::submitPassword);
  // What the user types, not the window's own emptying of the field.
  passwordFieldDelegate_ = new PasswordToDecriptFieldDelegate(document_, this);
  connect(passwordField_, &QLineEdit::textEdited, passwordFieldDelegate_,
          &PasswordToDecriptFieldDelegate::controlTextDidChange);
  return lockedPage_;
}

QWidget* VaultDocumentWindow::buildRecordPage() {
  // The filter information pane above the split view, shown while a filter is in force.
  auto* page = new QWidget(pages_);
  auto* column = new QVBoxLayout(page);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  infoPane_ = new FilterInfoPane(page);
  infoPane_->setObjectName(QStringLiteral("filterInfoPane"));
  split_ = new MainSplitView(page);
  column->addWidget(infoPane_);
  column->addWidget(split_, 1);
  split_->setObjectName(QStringLiteral("mainSplitView"));
  table_ = new RecordTableView(&document_->recordController(),
                               MyTableDelegate::labelFontFromSettings(defaults_), split_);
  table_->setObjectName(QStringLiteral("myTableView"));
  table_->installEventFilter(this);
  model_ = table_->recordModel();
  columns_ = new TableColumns(
      table_, document_, defaults_, [this] { return programmatic_ != 0; }, this);
  connect(columns_, &TableColumns::layoutChanged, this, &VaultDocumentWindow::refreshCommands);
  connect(table_, &RecordTableView::headerClicked, columns_, &TableColumns::headerClicked);
  // Column widths and order are saved with the document.
  connect(table_, &RecordTableView::columnsChangedByUser, this, [this] {
    if (!programmatic_ && document_) document_->updateChangeCount(ChangeCounting::ChangeDone);
  });

  detail_ = new RecordDetailView(split_);
  detail_->setObjectName(QStringLiteral("detailView"));
  split_->addWidget(table_);
  split_->addWidget(detail_);
  connect(split_, &MainSplitView::subviewsResized, this,
          &VaultDocumentWindow::splitViewDidResizeSubviews);

  ArrayController& records = document_->recordController();
  // A run of changes (an import adds records one by one) updates the views once.
  connect(&records, &ArrayController::selectionChanged, this, &VaultDocumentWindow::scheduleSync);
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &VaultDocumentWindow::selectionFromTable);
  for (auto signal : {&ArrayController::objectInserted, &ArrayController::objectRemoved})
    connect(&records, signal, this, &VaultDocumentWindow::scheduleSync);
  connect(&records, &ArrayController::arrangedObjectsReset, this,
          &VaultDocumentWindow::scheduleSync);
  connect(&records, &ArrayController::objectChanged, this, [this](qsizetype row) {
    const auto& arranged = document_->recordController().arrangedObjects();
    if (detail_->record() && std::size_t(row) < arranged.size() &&
        arranged[std::size_t(row)] == detail_->record())
      detail_->refreshStamps();
  });
  connect(detail_, &RecordDetailView::showClearPasswordToggled, this,
          [this] { perform(QStringLiteral("switchShowClearPassword:")); });
  return page;
}

void VaultDocumentWindow::buildToolbar() {
  toolbar_ = addToolBar(QStringLiteral("Toolbar"));
  toolbar_->setObjectName(QStringLiteral("modernToolbar"));
  toolbar_->setMovable(false);
  toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  auto* spacer = new QWidget(toolbar_);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  searchField_ = new QLineEdit(toolbar_);
  searchField_->setObjectName(QStringLiteral("toolbarSearchField"));
  searchField_->setPlaceholderText(QStringLiteral("Search"));
  searchField_->setClearButtonEnabled(true);
  // With the category menu, it fits beside the buttons in a window of 800 pixels, so neither
  // goes to the toolbar's overflow menu.
  searchField_->setFixedWidth(180);
  searchField_->addAction(QIcon::fromTheme(QStringLiteral("edit-find")),
                          QLineEdit::LeadingPosition);
  categoryMenu_ = new QComboBox(toolbar_);
  categoryMenu_->setObjectName(QStringLiteral("myActionPopup"));
  categoryMenu_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  categoryMenu_->setMaximumWidth(200);  // a long title is elided, not the search field pushed
  categoryMenu_->setToolTip(QStringLiteral("Show the records of one category"));
  toolbar_->addWidget(spacer);
  toolbar_->addWidget(categoryMenu_);
  toolbar_->addWidget(searchField_);
}

CategoriesSheet* VaultDocumentWindow::categoriesSheet() const { return categoriesSheet_; }

void VaultDocumentWindow::synkCategorySubMenu() {
  search_->synkCategorySubMenu();
  table_->viewport()->update();
}

void VaultDocumentWindow::editCategoriesSheet() {
  if (!document_ || document_->isEncrypted()) return;
  if (!categoriesSheet_) {
    categoriesSheet_ =
        new CategoriesSheet(document_, MyTableDelegate::labelFontFromSettings(defaults_), this);
    connect(categoriesSheet_, &CategoriesSheet::categoriesChanged, this,
            [this] { table_->viewport()->update(); });
    connect(categoriesSheet_, &CategoriesSheet::menuChanged, search_,
            &RecordSearchController::synkCategorySubMenu);
  }
  QPointer<RecordSearchController> search(search_);
  categoriesSheet_->beginSheet(this, [search](int) {
    if (search) search->synkCategorySubMenu();
  });
}

bool VaultDocumentWindow::showPasswordsInTable() const { return model_->showsSecrets(); }

bool VaultDocumentWindow::showsLockedLayout() const {
  return pages_->currentIndex() == kLockedPage;
}

int VaultDocumentWindow::getEncryptedTabIndex() const {
  return document_ && document_->isEncrypted() ? kLockedPage : kRecordPage;
}

void VaultDocumentWindow::windowControllerDidLoadNib() {
  Programmatic quiet(programmatic_);
  toolbar_->setVisible(false);
  ZVVSplitViewDelegate& rules = split_->rules();
  rules.setMinHSizeLeft(260);
  rules.setMaxHSizeLeft(9999);
  rules.setMinHSizeRight(530);
  rules.setMaxHSizeRight(9999);
  rules.setGrowingRule(2);
  rules.setCanCollapseLeft(false);
  rules.setCanCollapseRight(true);
  split_->applyLimits();
  locked_ = document_->isEncrypted();
  if (locked_) {
    enterLockedLayout(true);
  } else {
    document_->setDocumentCreationDate(Date::now());
    setUnlockedMinimumSize();
    setGeometry(openingPlace(QSize(kNewWindowWidth, kNewWindowHeight)
                                 .expandedTo(minimumSize())
                                 .boundedTo(clientArea().size().expandedTo(minimumSize()))));
    toolbar_->setVisible(true);
    ZVColoredCategoryArrayController& categories = document_->categoryController();
    if (!categories.canRemove()) {
      document_->setMyCategoryArray(Array::create());
      categories.addDefault();
      columns_->applyPreset(RecordColumns::Preset::CompactPlusCMA);
      split_->setInitialRightWidth(rules.minHSizeRight());
    }
    search_->synkCategorySubMenu();
    pages_->setCurrentIndex(kRecordPage);
    // Placed again at the size the page and the toolbar make it: it is first shown so.
    setUnlockedMinimumSize();
    setGeometry(openingPlace(size().expandedTo(minimumSize())));
    noteUnframedPlace();
  }
  connect(&defaults_, &UserDefaults::valueChanged, this,
          &VaultDocumentWindow::sortComparisonChanged);
  connect(&defaults_, &UserDefaults::valueChanged, this, &VaultDocumentWindow::tableFontChanged);
  updateLayout();
  updateTitle();
  openedAt_ = unframedPlace_;
  document_->updateChangeCount(ChangeCounting::ChangeCleared);
}

void VaultDocumentWindow::updateLayout() {
  if (!document_) return;
  const bool locked = document_->isEncrypted();
  lockedPage_->setTexts(document_->displayName(), document_->convertFormatString(),
                        document_->docReleaseString(), document_->moreDocDescription());
  if (locked != locked_) {
    locked_ = locked;
    if (locked)
      enterLockedLayout(false);
    else
      enterUnlockedLayout();
  }
  pages_->setCurrentIndex(getEncryptedTabIndex());
  if (locked && passwordField_->text().isEmpty()) passwordField_->setFocus();
  refreshCommands();
}

QRect VaultDocumentWindow::clientArea() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!s) return {};
  return WindowPlacement::clientArea(s->availableGeometry(), frameAllowance());
}

QRect VaultDocumentWindow::clientAreaWithKnownFrame() const {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!s) return {};
  return WindowPlacement::clientArea(s->availableGeometry(), toldFrame());
}

QMargins VaultDocumentWindow::toldFrame() const {
  return WindowPlacement::toldFrame(WindowPlacement::frameOf(frameGeometry(), geometry()),
                                    devicePixelRatioF());
}

QMargins VaultDocumentWindow::frameAllowance() const {
  // The style's own window frame stands for the desktop's until that is told.
  const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
  const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
  return WindowPlacement::frameAllowance(toldFrame(), QMargins(border, title, border, border));
}

QRect VaultDocumentWindow::openingPlace(QSize size) const {
  const QRect area = clientArea();
  QRect place(geometry().topLeft(), size);
  if (area.isEmpty()) return place;
  place.moveCenter(area.center());
  place = WindowPlacement::fitted(place, area);
  std::vector<QPoint> taken;
  // A title bar's height: the style's, or a shown window's where the desktop's is taller.
  int step = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* other = qobject_cast<VaultDocumentWindow*>(w); other && other != this) {
      taken.push_back(other->geometry().topLeft());
      step =
          std::max(step, WindowPlacement::frameOf(other->frameGeometry(), other->geometry()).top());
    }
  place.moveTopLeft(WindowPlacement::cascaded(place, taken, step, area));
  return place;
}

void VaultDocumentWindow::setUnlockedMinimumSize() {
  const ZVVSplitViewDelegate& rules = split_->rules();
  // The height is left to the layout: as much as lets every field of the detail view show,
  // following the filter pane as it comes and goes.
  setMinimumSize(rules.minHSizeLeft() + rules.minHSizeRight() + int(split_->dividerThickness()), 0);
  layout()->invalidate();
  layout()->activate();
  // On a screen smaller than that the screen wins: the whole window, title bar included,
  // stays reachable. The frame as told so far, not the reserve: a minimum cut by a guess
  // would stay cut once the real frame is known.
  setMinimumSize(WindowPlacement::minimumWithin(minimumSize(), clientAreaWithKnownFrame()));
}

void VaultDocumentWindow::fitLockedSize(bool centre) {
  // Fixed at the locked size, or the screen's when that is smaller; shrunk keeping its left
  // and top edges, or centred when the window first opens.
  QRect next = WindowPlacement::lockedPlace(geometry(), QSize(kLockedWidth, kLockedHeight),
                                            clientArea(), centre);
  if (centre) next = openingPlace(next.size());
  setMinimumSize(next.size());
  setMaximumSize(next.size());
  setGeometry(next);
  noteUnframedPlace();
}

void VaultDocumentWindow::noteUnframedPlace() {
  if (isVisible())
    unframedPlace_.reset();
  else
    unframedPlace_ = geometry();
}

void VaultDocumentWindow::fitOnScreen() {
  Programmatic quiet(programmatic_);
  if (locked_) {
    fitLockedSize(false);
    return;
  }
  setUnlockedMinimumSize();
  QRect wanted = geometry();
  wanted.setSize(wanted.size().expandedTo(minimumSize()));
  setGeometry(WindowPlacement::fitted(wanted, clientArea()));
}

void VaultDocumentWindow::enterLockedLayout(bool centre) {
  Programmatic quiet(programmatic_);
  // What was copied from the records leaves the clipboard with them.
  Pasteboard::withdrawSecrets(this);
  isEditable_ = false;
  detail_->setEditable(false);
  detail_->setRecord(nullptr);
  SecureLineEdit::clear(passwordField_);
  pages_->setCurrentIndex(kLockedPage);
  fitLockedSize(centre);
  if (isVisible()) {
    raise();
    activateWindow();
  }
  passwordField_->setFocus();
}

void VaultDocumentWindow::enterUnlockedLayout() {
  Programmatic quiet(programmatic_);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setUnlockedMinimumSize();
  SecureLineEdit::clear(passwordField_);
  pages_->setCurrentIndex(kRecordPage);
  search_->synkCategorySubMenu();
  // The view state the file carried: widths, the preset under the stored visibilities, the
  // panes once the window has its frame, and the sort.
  const DesktopViewState& state = document_->vault().viewState();
  columns_->applySizes(state.columnSizes);
  columns_->applyPreset(RecordColumns::Preset::CompactPlusCMA);
  columns_->applyVisibility(state.columnVisibilities);
  if (state.splitLeftFrame.width > 0) {
    const Rect left = state.splitLeftFrame, right = state.splitRightFrame;
    QPointer<VaultDocumentWindow> self(this);
    MainQueue::defer([self, left, right] {
      if (self) self->restoreSplitPanes(left, right);
    });
  }
  if (RecordColumns::isKnown(state.latestOrderedColumn))
    orderByColumnWithidentifier(state.latestOrderedColumn, state.latestOrderedColumnAscending);
  selectionFromController();
  // A window that may be resized gets a taller frame from some desktops (a grip along the
  // bottom), told only after this layout was fitted against the locked one.
  refitOnFrameChange(WindowPlacement::frameOf(frameGeometry(), geometry()), kFrameChecks);
}

void VaultDocumentWindow::restoreSplitPanes(const Rect& left, const Rect& right) {
  Programmatic quiet(programmatic_);
  if (!WindowPlacement::isSane(left) || !WindowPlacement::isSane(right) || left.width <= 0) return;
  QRectF frame = split_->splitViewFrame();
  if (right.width <= 0) {
    split_->rules().collapseRightView(*split_, frame);
    // The file keeps no width for a collapsed pane: it opens as a new document's does.
    bufferedDetailViewLength_ = 0;
    bufferedMainSplitViewFrame_ = QRectF();
    return;
  }
  split_->rules().expandRightView(*split_, right.width, frame);
}

void VaultDocumentWindow::updateTitle() {
  if (!document_) return;
  setWindowTitle(document_->displayName() + QStringLiteral("[*]"));
  setWindowModified(document_->isDocumentEdited());
  setWindowFilePath(document_->fileURL());
}

void VaultDocumentWindow::submitPassword() {
  if (!document_) return;
  // A wrong password stays in the field, as typed; unlocking empties it.
  document_->submitPasswordToDecrypt(passwordField_->text());
}

void VaultDocumentWindow::scheduleSync() {
  if (syncQueued_) return;
  syncQueued_ = true;
  QPointer<VaultDocumentWindow> self(this);
  MainQueue::defer([self] {
    if (!self) return;
    self->syncQueued_ = false;
    self->selectionFromController();
  });
}

void VaultDocumentWindow::selectionFromController() {
  if (!document_) return;
  ArrayController& records = document_->recordController();
  QItemSelectionModel* sm = table_->selectionModel();
  std::vector<qsizetype> shown;
  for (const QModelIndex& index : sm->selectedRows()) shown.push_back(index.row());
  std::sort(shown.begin(), shown.end());
  // The user's own selection is left alone (its anchor for extending it included).
  if (!syncingSelection_ && shown != records.selectionIndexes()) {
    syncingSelection_ = true;
    QItemSelection selection;
    const int last = model_->columnCount() - 1;
    const std::vector<qsizetype>& rows = records.selectionIndexes();
    for (std::size_t i = 0; i < rows.size();) {
      std::size_t j = i;  // runs of rows as one range
      while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
      selection.select(model_->index(int(rows[i]), 0), model_->index(int(rows[j]), last));
      i = j + 1;
    }
    sm->select(selection, QItemSelectionModel::ClearAndSelect);
    if (records.selectionIndex() != ArrayController::NotFound) {
      const QModelIndex current = model_->index(int(records.selectionIndexes().back()), 0);
      sm->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
      table_->scrollTo(current);
    }
    syncingSelection_ = false;
  }
  tableViewSelectionDidChange();
}

void VaultDocumentWindow::selectionFromTable() {
  if (syncingSelection_ || !document_) return;
  std::vector<qsizetype> rows;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows())
    rows.push_back(index.row());
  document_->recordController().setSelectionIndexes(std::move(rows));
  tableViewSelectionDidChange();
}

void VaultDocumentWindow::tableViewSelectionDidChange() {
  const std::vector<DictRef> selected = document_->recordController().selectedObjects();
  const DictRef shown = document_->isDecrypted() && !selected.empty() ? selected.back() : nullptr;
  if (shown != detail_->record()) detail_->setRecord(shown);
  detail_->setCategoryChangeAllowed(selected.size() <= 1);
  refreshCommands();
}

void VaultDocumentWindow::splitViewDidResizeSubviews() {
  detailViewCollapsed_ = split_->isRightCollapsed();
  // A collapsed pane keeps the width it is to come back at, and the split view's frame then,
  // however it was collapsed (the command, the divider or a file).
  if (!detailViewCollapsed_) {
    bufferedDetailViewLength_ = split_->panes().right;
    bufferedMainSplitViewFrame_ = split_->splitViewFrame();
  }
}

void VaultDocumentWindow::toggleCollapseExpandMainView() {
  Programmatic quiet(programmatic_);
  // Collapsing remembers the pane's width and the frame; with none remembered the pane
  // opens at its minimum, as in a new document.
  bufferedDetailViewLength_ = split_->rules().toggleCollapseExpandRightView(
      *split_, bufferedDetailViewLength_, bufferedMainSplitViewFrame_);
}

RecordColumns::ColumnLayout VaultDocumentWindow::columnLayout() const { return columns_->layout(); }

ArrayRef VaultDocumentWindow::getColumnSize() const { return columns_->sizeSnapshot(); }

ArrayRef VaultDocumentWindow::getColumnVisibility() const { return columns_->visibilitySnapshot(); }

void VaultDocumentWindow::applyColumnVisibility(const ArrayRef& snapshot) {
  columns_->applyVisibility(snapshot);
}

void VaultDocumentWindow::applyColumnSize(const ArrayRef& snapshot) {
  columns_->applySizes(snapshot);
}

void VaultDocumentWindow::orderByColumnWithidentifier(const QString& identifier, bool ascending) {
  columns_->orderByColumnWithidentifier(identifier, ascending);
}

void VaultDocumentWindow::sortComparisonChanged(const QString& key) {
  Programmatic quiet(programmatic_);
  columns_->sortComparisonChanged(key);
}

bool VaultDocumentWindow::eventFilter(QObject* watched, QEvent* event) {
  // The table would copy its current cell by itself: a password shown in clear would reach
  // the clipboard unmarked as secret, and no use counted. Fields are copied by their commands.
  if (watched == table_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy))
    return true;
  return QMainWindow::eventFilter(watched, event);
}

void VaultDocumentWindow::tableFontChanged(const QString& key) {
  if (!MyTableDelegate::isTableFontKey(key)) return;
  const QFont font = MyTableDelegate::labelFontFromSettings(defaults_);
  table_->setTableFont(font);
  if (categoriesSheet_) categoriesSheet_->setLabelFont(font);
}

void VaultDocumentWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  // The frame the desktop puts around the window is known once it is shown, or soon after:
  // a place chosen here before then is chosen again with it. One set by others is theirs.
  const bool ours = unframedPlace_ && geometry() == *unframedPlace_;
  const bool opening = ours && openedAt_ == unframedPlace_;
  unframedPlace_.reset();
  openedAt_.reset();
  if (!ours) return;
  fitOnScreen();
  // The opening place again, now against the frames as told: the others' and its own.
  if (opening) {
    Programmatic quiet(programmatic_);
    setGeometry(openingPlace(size()));
  }
  fitOnceFramed(kFrameChecks);
}

void VaultDocumentWindow::fitOnceFramed(int checksLeft) {
  if (!isVisible()) return;
  // Kept where it is, the desktop's place included, unless it runs off the screen.
  const bool told = !WindowPlacement::frameOf(frameGeometry(), geometry()).isNull();
  if (told || checksLeft <= 0) {
    fitOnScreen();
    return;
  }
  QTimer::singleShot(kFrameCheckInterval, this,
                     [this, checksLeft] { fitOnceFramed(checksLeft - 1); });
}

void VaultDocumentWindow::refitOnFrameChange(const QMargins& was, int checksLeft) {
  if (!isVisible() || locked_) return;
  if (WindowPlacement::frameOf(frameGeometry(), geometry()) != was) {
    fitOnScreen();
    return;
  }
  if (checksLeft <= 0) return;
  QTimer::singleShot(kFrameCheckInterval, this,
                     [this, was, checksLeft] { refitOnFrameChange(was, checksLeft - 1); });
}

void VaultDocumentWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) windowDidBecomeKey();
}

void VaultDocumentWindow::windowDidBecomeKey() {
  if (!document_) return;
  if (document_->isEncrypted()) {
    if (passwordField_->text().isEmpty()) passwordField_->setFocus();
    return;
  }
  if (askedForPassword_) return;
  askedForPassword_ = true;  // asked at most once, on the first activation
  if (!document_->requiresMandatoryPassword() || !document_->plainPassword().isEmpty() ||
      !document_->fileURL().isEmpty())
    return;
  QPointer<MyDocument> doc(document_);
  MainQueue::defer([doc] {
    if (doc && doc->plainPassword().isEmpty()) doc->askMandatoryPasswordToProtectDocument();
  });
}

void VaultDocumentWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  windowDidResize(event->oldSize());
}

void VaultDocumentWindow::windowDidResize(const QSize& old) {
  // The frame is saved with the document: a resize by the user is an edit. Growing to a new
  // minimum (the filter pane came) is the layout's doing: no user makes a window smaller
  // than its minimum.
  const bool toMinimum = (old.width() < minimumWidth() && width() == minimumWidth()) ||
                         (old.height() < minimumHeight() && height() == minimumHeight());
  if (!programmatic_ && !toMinimum && isVisible() && document_ && document_->isDecrypted() &&
      old.isValid())
    document_->updateChangeCount(ChangeCounting::ChangeDone);
}

void VaultDocumentWindow::closeEvent(QCloseEvent* event) {
  if (closeApproved_ || !document_ || document_->isClosed()) {
    event->accept();
    return;
  }
  // Ask the document (it may want to save); it closes itself and this window when it may.
  event->ignore();
  QPointer<MyDocument> doc(document_);
  document_->canCloseDocumentWithDelegate([doc](bool shouldClose) {
    if (doc && shouldClose) doc->close();
  });
}

Rect VaultDocumentWindow::frame() const {
  return WindowPlacement::storedFrame(geometry(), screen() ? screen()->geometry().height() : 0);
}

void VaultDocumentWindow::setFrame(const Rect& frame, bool display) {
  Programmatic quiet(programmatic_);
  // Frames come from files: refuse what no screen could show, and keep the rest on screen.
  std::optional<QRect> wanted =
      WindowPlacement::fromStoredFrame(frame, screen() ? screen()->geometry().height() : 0);
  if (!wanted) {
    // The window still leaves its locked place for the unlocked layout: keep that on screen.
    if (isVisible()) fitOnScreen();
    return;
  }
  wanted->setSize(wanted->size().expandedTo(minimumSize()).boundedTo(maximumSize()));
  setGeometry(WindowPlacement::fitted(*wanted, clientArea()));
  noteUnframedPlace();
  if (display) update();
}

bool VaultDocumentWindow::isToolbarVisible() const { return !toolbar_->isHidden(); }

void VaultDocumentWindow::setToolbarVisible(bool visible) {
  Programmatic quiet(programmatic_);
  toolbar_->setVisible(visible);
  if (visible && document_ && document_->isDecrypted()) searchField_->setFocus();
  // A toolbar raises the minimum height, which may push the bottom edge off the screen.
  if (visible && isVisible() && document_ && document_->isDecrypted()) fitOnScreen();
  refreshCommands();
}

void VaultDocumentWindow::showToolbarByUser(bool visible) {
  if (toolbar_->isHidden() != visible) return;
  toolbar_->setVisible(visible);
  if (document_ && document_->isDecrypted())
    document_->updateChangeCount(ChangeCounting::ChangeDone);
  refreshCommands();
}

std::optional<Rect> VaultDocumentWindow::splitPaneFrame(int pane) const {
  if (pane < 0 || pane > 1) return std::nullopt;
  const ZVVSplitViewDelegate::Panes p = split_->panes();
  const double h = split_->height();
  if (pane == 0) return Rect{0, 0, p.left, h};
  return Rect{p.left + split_->dividerThickness(), 0, p.right, h};
}
