#include "app/ApplicationMenus.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <functional>

#include "Common/AppIdentity.h"
#include "app/MyAppDelegate.h"
#include "app/ZVRevertDocController.h"
#include "platform/Sheet.h"
#include "vault/MyDocument.h"
#include "window/VaultDocumentWindow.h"

namespace {
constexpr char kSelector[] = "qvSelector";
constexpr char kAnswerer[] = "qvAnswerer";  // "document" or "application"
constexpr char kEditSlot[] = "qvEditSlot";

QAction* addCommand(QMenu* menu, const QString& title, const char* selector, const char* answerer,
                    std::function<void()> run, const QKeySequence& keys = {}) {
  QAction* action = menu->addAction(title);
  action->setProperty(kSelector, QString::fromLatin1(selector));
  action->setProperty(kAnswerer, QString::fromLatin1(answerer));
  if (!keys.isEmpty()) action->setShortcut(keys);
  // A sheet waits for its answer, but the application's own commands (another document
  // opened or made, quitting, help) stay at hand meanwhile; closing its window does not.
  if (QLatin1String(answerer) == u"application" && QLatin1String(selector) != u"performClose:")
    action->setProperty(Sheet::kUsableUnderSheet, true);
  QObject::connect(action, &QAction::triggered, action, [run = std::move(run)] { run(); });
  return action;
}

// Desktops whose key scheme has no binding for the command still get the usual one.
QKeySequence standardOr(QKeySequence::StandardKey key, const QKeySequence& usual) {
  const QKeySequence platform(key);
  return platform.isEmpty() ? usual : platform;
}

// Edit commands go to the widget with the keyboard focus, as the responder chain would.
void addEditCommand(QMenu* menu, const QString& title, const char* selector, const char* slot,
                    QKeySequence::StandardKey keys) {
  QAction* action = addCommand(
      menu, title, selector, "focus",
      [slot] {
        if (QWidget* focus = QApplication::focusWidget()) QMetaObject::invokeMethod(focus, slot);
      },
      QKeySequence(keys));
  action->setProperty(kEditSlot, QString::fromLatin1(slot));
}

// A focused text field undoes its own typing while it has any; otherwise undo and redo go to
// the document's history.
QWidget* textFieldWithHistory(bool undo) {
  QWidget* focus = QApplication::focusWidget();
  if (auto* line = qobject_cast<QLineEdit*>(focus))
    return (undo ? line->isUndoAvailable() : line->isRedoAvailable()) ? line : nullptr;
  if (auto* text = qobject_cast<QPlainTextEdit*>(focus))
    return (undo ? text->document()->isUndoAvailable() : text->document()->isRedoAvailable())
               ? text
               : nullptr;
  return nullptr;
}

UndoManager* documentHistory(MyDocument* document) {
  return document && !document->isClosed() && document->isDecrypted() ? document->undoManager()
                                                                      : nullptr;
}

void addUndoCommand(QMenu* menu, bool undo, const QPointer<MyDocument>& doc) {
  addCommand(
      menu, undo ? QStringLiteral("&Undo") : QStringLiteral("&Redo"),
      undo ? "undo:" : "redo:", "history",
      [undo, doc] {
        if (QWidget* field = textFieldWithHistory(undo)) {
          QMetaObject::invokeMethod(field, undo ? "undo" : "redo");
        } else if (UndoManager* history = documentHistory(doc)) {
          if (undo)
            history->undo();
          else
            history->redo();
        }
      },
      QKeySequence(undo ? QKeySequence::Undo : QKeySequence::Redo));
}

void validateUndoCommand(QAction* action, MyDocument* document) {
  const bool undo = action->property(kSelector).toString() == u"undo:";
  if (textFieldWithHistory(undo)) {
    action->setText(undo ? QStringLiteral("&Undo") : QStringLiteral("&Redo"));
    action->setEnabled(true);
    return;
  }
  UndoManager* history = documentHistory(document);
  const QString title = !history ? (undo ? QStringLiteral("Undo") : QStringLiteral("Redo"))
                        : undo   ? history->undoMenuItemTitle()
                                 : history->redoMenuItemTitle();
  action->setText(QLatin1Char('&') + title);
  action->setEnabled(history && (undo ? history->canUndo() : history->canRedo()));
}

bool isTextField(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget);
}

// Validates a window's commands when a key is pressed in it (or in one of its sheets), just
// before the key is matched against their shortcuts: a shortcut answers exactly when its
// command is enabled by the state of that moment, whether or not its menu was opened since.
class ShortcutValidation : public QObject {
 public:
  static constexpr char kObjectName[] = "qvShortcutValidation";

  ShortcutValidation(QMainWindow* window, QPointer<MyDocument> document,
                     QPointer<MyAppDelegate> delegate)
      : QObject(window),
        window_(window),
        document_(std::move(document)),
        delegate_(std::move(delegate)) {
    setObjectName(QLatin1String(kObjectName));
    qApp->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return false;
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget || !belongsToWindow(widget)) return false;
    // Once per key: the event climbs from the focus widget through its parents.
    QWidget* focus = QApplication::focusWidget();
    if (focus ? widget != focus : !widget->isWindow()) return false;
    for (QAction* top : window_->menuBar()->actions())
      if (QMenu* menu = top->menu()) ApplicationMenus::validate(menu, document_, delegate_);
    if (auto* vault = qobject_cast<VaultDocumentWindow*>(window_)) vault->refreshCommands();
    // A text field takes undo and redo for itself even with nothing of its own to undo; the
    // Edit menu then undoes the document, so the keys do too.
    const auto* key = static_cast<QKeyEvent*>(event);
    for (const bool undo : {true, false}) {
      if (!key->matches(undo ? QKeySequence::Undo : QKeySequence::Redo)) continue;
      UndoManager* history = documentHistory(document_);
      if (isTextField(widget) && !textFieldWithHistory(undo) && history &&
          (undo ? history->canUndo() : history->canRedo())) {
        event->ignore();  // left to the shortcut
        return true;
      }
    }
    return false;
  }

 private:
  bool belongsToWindow(const QWidget* widget) const {
    const QWidget* top = widget->window();
    if (top == window_) return true;
    // A sheet of the window.
    return qobject_cast<const Sheet*>(top) && top->parentWidget() &&
           top->parentWidget()->window() == window_;
  }

  QPointer<QMainWindow> window_;
  QPointer<MyDocument> document_;
  QPointer<MyAppDelegate> delegate_;
};

void rebuildWindowList(QMenu* menu, QAction* listStart, ZVRevertDocController* controller) {
  const QList<QAction*> all = menu->actions();
  for (qsizetype i = all.indexOf(listStart) + 1; i < all.size(); ++i) {
    menu->removeAction(all[i]);
    all[i]->deleteLater();
  }
  if (!controller) return;
  for (Document* document : controller->documents()) {
    VaultDocumentWindow* window = controller->windowOf(document);
    if (!window) continue;
    QAction* item = menu->addAction(document->displayName());
    item->setCheckable(true);
    item->setChecked(window->isActiveWindow());
    QPointer<VaultDocumentWindow> target(window);
    QObject::connect(item, &QAction::triggered, item, [target] {
      if (!target) return;
      target->showNormal();
      target->raise();
      target->activateWindow();
    });
  }
}
}  // namespace

void ApplicationMenus::validate(QMenu* menu, MyDocument* document, MyAppDelegate* delegate) {
  // A menu of the menu bar belongs to the bar's window (a menu is a window of its own).
  const bool underSheet =
      menu->parentWidget() && Sheet::isRunningOn(menu->parentWidget()->window());
  for (QAction* action : menu->actions()) {
    const QString selector = action->property(kSelector).toString();
    if (selector.isEmpty()) continue;
    const QString answerer = action->property(kAnswerer).toString();
    if (answerer.isEmpty()) continue;  // a window's own command: the window enables it
    const UserInterfaceItem item{selector, 0};
    if (underSheet && !action->property(Sheet::kUsableUnderSheet).toBool()) {
      action->setEnabled(false);  // the sheet is answered first
    } else if (answerer == u"history") {
      validateUndoCommand(action, document);
    } else if (answerer == u"document") {
      action->setEnabled(document && !document->isClosed() &&
                         document->validateUserInterfaceItem(item));
    } else if (answerer == u"application") {
      action->setEnabled(delegate ? delegate->validateUserInterfaceItem(item) : true);
    } else {
      QWidget* focus = QApplication::focusWidget();
      const QByteArray slot = action->property(kEditSlot).toString().toLatin1();
      action->setEnabled(focus && focus->metaObject()->indexOfMethod(
                                      QMetaObject::normalizedSignature(slot + "()")) >= 0);
    }
  }
}

void ApplicationMenus::install(QMainWindow* window, MyAppDelegate* delegate,
                               ZVRevertDocController* controller, MyDocument* document) {
  QMenuBar* bar = window->menuBar();
  bar->clear();
  QPointer<MyDocument> doc(document);
  QPointer<MyAppDelegate> app(delegate);
  QPointer<QMainWindow> win(window);
  const auto prepare = [doc, app](QMenu* menu) {
    QObject::connect(menu, &QMenu::aboutToShow, menu,
                     [menu, doc, app] { validate(menu, doc, app); });
  };
  if (!window->findChild<QObject*>(QLatin1String(ShortcutValidation::kObjectName),
                                   Qt::FindDirectChildrenOnly))
    new ShortcutValidation(window, doc, app);

  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  prepare(file);
  addCommand(
      file, QStringLiteral("&New"), "newDocument:", "application",
      [controller] {
        if (controller) controller->newDocument();
      },
      QKeySequence::New);
  addCommand(
      file, QStringLiteral("&Open…"), "openDocument:", "application",
      [controller] {
        if (controller) controller->openDocument();
      },
      QKeySequence::Open);
  file->addSeparator();
  addCommand(
      file, QStringLiteral("&Close"), "performClose:", "application",
      [win] {
        if (win) win->close();
      },
      QKeySequence::Close);
  if (document) {
    addCommand(
        file, QStringLiteral("&Save"), "saveDocument:", "document",
        [doc] {
          if (doc) doc->saveDocument();
        },
        QKeySequence::Save);
    addCommand(
        file, QStringLiteral("Save &As…"), "saveDocumentAs:", "document",
        [doc] {
          if (doc) doc->saveDocumentAs();
        },
        standardOr(QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)));
    addCommand(file, QStringLiteral("&Revert to Saved"), "revertDocumentToSaved:", "document",
               [doc] {
                 if (doc) doc->revertDocumentToSaved();
               });
    file->addSeparator();
    addCommand(file, QStringLiteral("&Import Text File…"), "importFromTextFile:", "document",
               [doc] {
                 if (doc) doc->importFromTextFile();
               });
    addCommand(file, QStringLiteral("&Export Shown Records…"), "exportToTextFile:", "document",
               [doc] {
                 if (doc) doc->exportToTextFile();
               });
    addCommand(file, QStringLiteral("Export A&ll Records…"), "exportAllToTextFile:", "document",
               [doc] {
                 if (doc) doc->exportAllToTextFile();
               });
    file->addSeparator();
    addCommand(file, QStringLiteral("Change &Password…"), "documentPassword:", "document", [doc] {
      if (doc) doc->documentPassword();
    });
  }
  file->addSeparator();
  addCommand(
      file, QStringLiteral("&Quit"), "terminate:", "application",
      [controller] {
        if (controller) controller->reviewUnsavedDocumentsAndQuit();
      },
      QKeySequence::Quit);

  QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
  prepare(edit);
  addUndoCommand(edit, true, doc);
  addUndoCommand(edit, false, doc);
  edit->addSeparator();
  addEditCommand(edit, QStringLiteral("Cu&t"), "cut:", "cut", QKeySequence::Cut);
  addEditCommand(edit, QStringLiteral("&Copy"), "copy:", "copy", QKeySequence::Copy);
  addEditCommand(edit, QStringLiteral("&Paste"), "paste:", "paste", QKeySequence::Paste);
  addEditCommand(edit, QStringLiteral("Select &All"), "selectAll:", "selectAll",
                 QKeySequence::SelectAll);
  edit->addSeparator();
  addCommand(
      edit, QStringLiteral("Pr&eferences…"), "openPreferences:", "application",
      [app] {
        if (app) app->openPreferences();
      },
      standardOr(QKeySequence::Preferences, QKeySequence(Qt::CTRL | Qt::Key_Comma)));

  QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
  prepare(tools);
  addCommand(tools, QStringLiteral("Password &Generator…"), "showPasswordMaker:", "application",
             [app] {
               if (app) app->showPasswordMaker();
             });

  QMenu* windows = bar->addMenu(QStringLiteral("&Window"));
  prepare(windows);
  addCommand(
      windows, QStringLiteral("&Minimize"), "performMiniaturize:", "application",
      [win] {
        if (win) win->showMinimized();
      },
      QKeySequence(Qt::CTRL | Qt::Key_M));
  QAction* listStart = windows->addSeparator();
  QObject::connect(windows, &QMenu::aboutToShow, windows, [windows, listStart, controller] {
    rebuildWindowList(windows, listStart, controller);
  });

  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  prepare(help);
  addCommand(
      help, QLatin1Char('&') + AppIdentity::kUserGuideName, "openUserGuide:", "application",
      [app] {
        if (app) app->openUserGuide();
      },
      standardOr(QKeySequence::HelpContents, QKeySequence(Qt::Key_F1)));
  addCommand(help, QStringLiteral("&Software Update…"),
             "checkForLastReleaseAvailable:", "application", [app] {
               if (app) app->checkForLastReleaseAvailable();
             });
  help->addSeparator();
  addCommand(help, QStringLiteral("&Email Support…"), "emailUs:", "application", [app] {
    if (app) app->emailUs();
  });
  addCommand(help, QStringLiteral("%1 &Web Site").arg(AppIdentity::kShortName),
             "visitUs:", "application", [app] {
               if (app) app->visitUs();
             });
  help->addSeparator();
  addCommand(help, QStringLiteral("&About %1").arg(AppIdentity::kAppName),
             "openAbout:", "application", [app] {
               if (app) app->openAbout();
             });
  if (delegate && !delegate->myHelpMenu) delegate->myHelpMenu = help;
}
