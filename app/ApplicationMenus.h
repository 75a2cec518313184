#pragma once

class MyAppDelegate;
class MyDocument;
class QMainWindow;
class QMenu;
class ZVRevertDocController;

// The menu bar of every window: File, Edit, Tools, Window and Help. Linux has no application menu,
// so "Software Update…" and About live in Help. Each command is enabled by whoever answers
// it: the window's document for document commands, the delegate for its own.
class ApplicationMenus {
 public:
  // document is none for the application's own windows (About, settings, generator).
  static void install(QMainWindow* window, MyAppDelegate* delegate,
                      ZVRevertDocController* controller, MyDocument* document);
  // Enables the menu's commands as their answerers say.
  static void validate(QMenu* menu, MyDocument* document, MyAppDelegate* delegate);
};
