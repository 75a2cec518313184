#pragma once

#include <QMainWindow>
#include <QPointer>

#include "vault/VaultWindow.h"

class MyDocument;
class QLabel;
class QLineEdit;
class QStackedWidget;

// The window of one vault document. Locked, it shows the password field that unlocks it;
// unlocked, the document's area. A new document asks for its password the first time the
// window becomes active, as it may not stay open without one.
class VaultDocumentWindow : public QMainWindow, public VaultWindow {
  Q_OBJECT

 public:
  explicit VaultDocumentWindow(MyDocument* document, QWidget* parent = nullptr);
  ~VaultDocumentWindow() override;

  MyDocument* document() const { return document_; }
  QLineEdit* passwordField() const { return passwordField_; }
  bool showsLockedLayout() const;

  Rect frame() const override;
  void setFrame(const Rect& frame, bool display) override;
  bool isToolbarVisible() const override { return false; }
  void setToolbarVisible(bool) override {}
  std::optional<Rect> splitPaneFrame(int) const override { return std::nullopt; }
  ArrayRef getColumnSize() const override;
  ArrayRef getColumnVisibility() const override;
  QWidget* widget() const override { return const_cast<VaultDocumentWindow*>(this); }

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void updateLayout();
  void updateTitle();
  void submitPassword();

  QPointer<MyDocument> document_;
  QStackedWidget* pages_ = nullptr;
  QLineEdit* passwordField_ = nullptr;
  QLabel* lockedTitle_ = nullptr;
  bool askedForPassword_ = false;
  bool closeApproved_ = false;
};
