#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

#include "vault/VaultWindow.h"
#include "window/RecordColumns.h"
#include "window/WindowCommands.h"

class CategoriesSheet;
class FilterInfoPane;
class MyDocument;
class CopyNotice;
class EmailList;
class LockedPage;
class MainSplitView;
class PasswordToDecriptFieldDelegate;
class QAction;
class QComboBox;
class QLineEdit;
class QMenuBar;
class QPrinter;
class QStackedWidget;
class QToolBar;
class RecordDetailView;
class RecordEditor;
class RecordSearchController;
class RecordTableModel;
class RecordTableView;
class Sheet;
class TableColumns;
class TextViewDelegate;
class UserDefaults;
struct UrlFailure;

// The window of one vault document. Locked, a small fixed-size page with the password field
// and the file's format texts; unlocked, the record table and the selected record's detail
// view side by side under a toolbar with the search field. Every command is enabled by one
// decision over the document's state, applied to the actions whenever that state changes,
// and checked again when it runs.
class VaultDocumentWindow : public QMainWindow, public VaultWindow {
  Q_OBJECT

 public:
  static constexpr int kLockedWidth = 820;
  static constexpr int kLockedHeight = 460;

  // defaults: the settings the table follows (label font, sort comparison).
  VaultDocumentWindow(MyDocument* document, UserDefaults& defaults, QWidget* parent = nullptr);
  ~VaultDocumentWindow() override;

  MyDocument* document() const { return document_; }
  QLineEdit* passwordField() const { return passwordField_; }
  QLineEdit* toolbarSearchField() const { return searchField_; }
  QComboBox* categoryMenu() const { return categoryMenu_; }
  FilterInfoPane* filterInfoPane() const { return infoPane_; }
  RecordSearchController* search() const { return search_; }
  // The categories sheet, once it has been opened.
  CategoriesSheet* categoriesSheet() const;
  QToolBar* toolbar() const { return toolbar_; }
  RecordTableView* tableView() const { return table_; }
  RecordTableModel* tableModel() const { return model_; }
  RecordDetailView* detailView() const { return detail_; }
  MainSplitView* mainSplitView() const { return split_; }
  RecordEditor* recordEditor() const { return editor_; }
  CopyNotice* copyNotice() const { return copyNotice_; }
  EmailList* emailList() const { return emails_; }
  bool showsLockedLayout() const;
  // Where the window may lie: the screen less its panels and the window's frame.
  QRect clientArea() const;
  // The frame the desktop gives the window, or a reserve for one while it has told none.
  QMargins frameAllowance() const;
  // 1 while locked (the password page), 0 while unlocked (the record page).
  int getEncryptedTabIndex() const;

  // The window's commands by action name ("showPasswordsInTable:").
  QAction* command(const QString& action) const;

  // Where push and pull hands the selected record's password (the application's pull item).
  // The window passes itself as the password's owner: its lock or close withdraws it.
  using PasswordPuller = std::function<void(const QString& password, const void* owner)>;
  static void setPasswordPuller(PasswordPuller puller);
  // Runs a command as its menu item would: only when it is enabled.
  bool perform(const QString& action);
  // The View menu of this window, placed before the Window menu.
  void addMenusTo(QMenuBar* bar);
  WindowCommands::State commandState() const;
  // Enables the window's commands as the document's state says, and sets their marks.
  void refreshCommands();

  // Window state.
  bool isEditable() const { return isEditable_; }
  bool showClearPassword() const { return showClearPassword_; }
  bool showPasswordsInTable() const;
  bool detailViewCollapsed() const { return detailViewCollapsed_; }
  double bufferedDetailViewLength() const { return bufferedDetailViewLength_; }

  // Columns and sorting.
  RecordColumns::ColumnLayout columnLayout() const;
  void applyColumnVisibility(const ArrayRef& snapshot);
  void applyColumnSize(const ArrayRef& snapshot);
  void orderByColumnWithidentifier(const QString& identifier, bool ascending);

  // VaultWindow.
  Rect frame() const override;
  void setFrame(const Rect& frame, bool display) override;
  bool isToolbarVisible() const override;
  void setToolbarVisible(bool visible) override;
  std::optional<Rect> splitPaneFrame(int pane) const override;
  ArrayRef getColumnSize() const override;
  ArrayRef getColumnVisibility() const override;
  QWidget* widget() const override { return const_cast<VaultDocumentWindow*>(this); }
  void synkCategorySubMenu() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The locked page's password field takes the focus; a new document asks for its password.
  void windowDidBecomeKey();
  // old: the size before; a resize by the user marks the document edited.
  void windowDidResize(const QSize& old);
  QWidget* buildLockedPage();
  QWidget* buildRecordPage();
  void buildToolbar();
  void buildCommands();
  QAction* addCommand(const QString& title, const QString& action, std::function<void()> run,
                      const QKeySequence& keys = {});
  void windowControllerDidLoadNib();
  void updateLayout();
  // centre: the window first opens; a lock keeps its top edge.
  void enterLockedLayout(bool centre);
  // The screen less its panels and the frame as far as the desktop has told it.
  QRect clientAreaWithKnownFrame() const;
  // The desktop's frame as told so far, none before it tells one.
  QMargins toldFrame() const;
  // The place of a window opening at size: centred, cascaded off the other document windows.
  QRect openingPlace(QSize size) const;
  void setUnlockedMinimumSize();
  void fitLockedSize(bool centre);
  // Keeps the whole window, frame included, on its screen.
  void fitOnScreen();
  // Remembers a place chosen before the window is shown, to be fitted again with its frame.
  void noteUnframedPlace();
  // Fits the window on its screen once the desktop has told its frame (looked for again
  // checksLeft times), or with the reserve when it tells none.
  void fitOnceFramed(int checksLeft);
  // Fits the window on the screen again once the desktop's frame differs from was (checked
  // checksLeft times).
  void refitOnFrameChange(const QMargins& was, int checksLeft);
  void enterUnlockedLayout();
  void updateTitle();
  void submitPassword();
  // The user's showing or hiding of the toolbar: saved with the document.
  void showToolbarByUser(bool visible);
  void editCategoriesSheet();

  // Adding, duplicating, deleting and copying records (VaultDocumentWindowRecords.cpp).
  void buildRecordCommands();
  void addRecordMenuTo(QMenuBar* bar, QAction* before);
  void addRow();
  void duplicateRow();
  void deleteRow();
  void copyField(const QString& action);
  void emailListSheet();
  // The phone numbers of the records shown, in a sheet of their own.
  void phoneListSheet();
  // The record table scrolled to its last row, at its left edge.
  void scrollListViewToBottom();
  // A drop on the detail view becomes the shown record's URL, while the view is editable.
  void setFileToOpen(const QString& path);
  // Only a file is taken from a drop; a dropped folder is refused with a sheet.
  void openAlertPanelCantDropDirectoryHere();
  void setUrlToOpen(const QString& url);
  // The detail view's category menu: the categories in content order when it opens, and the
  // shown record moved into the one chosen.
  std::vector<DictRef> categoryPopupItems();
  void categoryWasSet(int index);
  // The selected record into category, the counts of both categories kept.
  void executePostCategorySet(const DictRef& category);
  // Printing the record table; the page set-up and the print dialog share one printer.
  QPrinter& printer();
  void printDocument();
  void runPageLayout();
  // The page set-up's answer needs nothing: the printer keeps what was chosen.
  static void pageLayoutDidEnd(int returnCode);

  // Opening the record's address and push and pull (VaultDocumentWindowPushPull.cpp).
  void buildPushPullCommands();
  void openUrl();
  // A file address is refused for a reason the user can act on; others simply open nothing.
  void alertUrlNotOpened(const UrlFailure& failure);
  void pushAndPull();
  void pullWithUser(const QString& copyAction);
  void showPushAndPullHelp();
  // Ends the help sheet, if it is open.
  void closePushAndPullHelp();

  // Brings the table's selection, the detail view and the commands in step with the list,
  // once per turn of the event loop.
  void scheduleSync();
  void selectionFromController();
  void selectionFromTable();
  void tableViewSelectionDidChange();
  void splitViewDidResizeSubviews();
  void toggleCollapseExpandMainView();
  void sortComparisonChanged(const QString& key);
  // The table font settings changed: the table and the categories sheet follow at once.
  void tableFontChanged(const QString& key);
  // The stored panes of a file, applied after the window has its frame.
  void restoreSplitPanes(const Rect& left, const Rect& right);

  QPointer<MyDocument> document_;
  TableColumns* columns_ = nullptr;
  UserDefaults& defaults_;
  QStackedWidget* pages_ = nullptr;
  LockedPage* lockedPage_ = nullptr;
  QLineEdit* passwordField_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QLineEdit* searchField_ = nullptr;
  QComboBox* categoryMenu_ = nullptr;
  FilterInfoPane* infoPane_ = nullptr;
  RecordSearchController* search_ = nullptr;
  QPointer<CategoriesSheet> categoriesSheet_;
  QPointer<Sheet> pushAndPullHelp_;
  MainSplitView* split_ = nullptr;
  RecordTableView* table_ = nullptr;
  RecordTableModel* model_ = nullptr;
  RecordDetailView* detail_ = nullptr;
  QList<QAction*> commands_;
  RecordEditor* editor_ = nullptr;
  CopyNotice* copyNotice_ = nullptr;
  TextViewDelegate* textViewDelegate_ = nullptr;
  PasswordToDecriptFieldDelegate* passwordFieldDelegate_ = nullptr;
  EmailList* emails_ = nullptr;
  std::vector<DictRef> categoryPopupItems_;
  std::shared_ptr<QPrinter> printer_;
  std::optional<QRect> unframedPlace_;
  // The place the window was given when it opened, until it is first shown.
  std::optional<QRect> openedAt_;

  bool isEditable_ = false;
  bool showClearPassword_ = false;
  bool detailViewCollapsed_ = false;
  double bufferedDetailViewLength_ = 0;
  QRectF bufferedMainSplitViewFrame_;
  bool locked_ = false;
  // Set while the program, not the user, changes the window: nothing is marked edited.
  int programmatic_ = 0;
  bool syncingSelection_ = false;
  bool syncQueued_ = false;
  bool askedForPassword_ = false;
  bool closeApproved_ = false;
};
