#pragma once

#include <gtest/gtest.h>

#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <memory>

#include "app/ApplicationLaunch.h"
#include "platform/UserDefaults.h"
#include "tests/GuiDriver.h"
#include "tests/app/SavedVault.h"
#include "transfer/DocumentTextTransfer.h"
#include "vault/MyDocument.h"
#include "window/VaultDocumentWindow.h"

// A saved vault opened, still locked, in the running application's one window.
class LaunchedVaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    defaults = std::make_unique<UserDefaults>(dir.filePath(QStringLiteral("Quorlith.conf")));
    path = dir.filePath(QStringLiteral("Home.qvlt"));
    ASSERT_TRUE(writeSavedVault(path));
    launch = std::make_unique<ApplicationLaunch>(*defaults);
    launch->run({path});
    GuiDriver::settle();
    const auto windows = GuiDriver::visible<VaultDocumentWindow>();
    ASSERT_EQ(windows.size(), 1);
    window = windows.first();
    doc = window->document();
  }
  void TearDown() override {
    GuiDriver::closeAllAlerts();
    closeSheets();
    launch.reset();
    GuiDriver::settle();
  }
  // Hides what the test left open on the window before the application goes.
  virtual void closeSheets() {}

  // The File menu's item of that title, as the menu shows it (enabled or not).
  QAction* fileCommand(const QString& title) {
    QMenu* file = window->menuBar()->actions().first()->menu();
    Q_EMIT file->aboutToShow();
    for (QAction* a : file->actions())
      if (a->text() == title) return a;
    return nullptr;
  }
  // The document's import and export, as the program gave it.
  DocumentTextTransfer& transfer() {
    auto* given = dynamic_cast<DocumentTextTransfer*>(doc->transfer());
    EXPECT_NE(given, nullptr);
    return *given;
  }
  void unlock() {
    QTest::keyClicks(window->passwordField(), QStringLiteral("secret12"));
    QTest::keyClick(window->passwordField(), Qt::Key_Return);
    GuiDriver::settle();
    ASSERT_TRUE(doc->isDecrypted());
  }

  QTemporaryDir dir;
  std::unique_ptr<UserDefaults> defaults;
  std::unique_ptr<ApplicationLaunch> launch;
  QString path;
  VaultDocumentWindow* window = nullptr;
  MyDocument* doc = nullptr;
};
