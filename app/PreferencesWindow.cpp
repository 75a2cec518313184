#include "app/PreferencesWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/MyAppDelegate.h"
#include "app/MyPrefToolbarDelegate.h"
#include "app/ZVPhoneHome.h"
#include "platform/Array.h"
#include "platform/DefaultsBinder.h"
#include "platform/UserDefaults.h"

namespace {
QLabel* note(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setForegroundRole(QPalette::PlaceholderText);
  return label;
}

QSpinBox* spin(int minimum, int maximum, const QString& suffix) {
  auto* box = new QSpinBox;
  box->setRange(minimum, maximum);
  box->setSuffix(suffix);
  return box;
}
}  // namespace

PreferencesWindow::PreferencesWindow(MyAppDelegate& delegate, QWidget* parent)
    : QMainWindow(parent),
      delegate_(delegate),
      binder_(new DefaultsBinder(delegate.defaults(), this)),
      tabView_(new QStackedWidget) {
  setObjectName(QStringLiteral("prefWindow"));
  for (QWidget* w : {generalPane(), fontPane(), passwordPane(), timingPane(), advancedPane(),
                     softwareUpdatePane()})
    tabView_->addWidget(w);
  setCentralWidget(tabView_);
  setFixedWidth(kWidth);
  panes_ = new MyPrefToolbarDelegate(this, tabView_, this);
  panes_->awakeFromNib();
}

void PreferencesWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

QWidget* PreferencesWindow::pane(QLayout* contents, const QStringList& keys) {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  column->addLayout(contents);
  column->addStretch(1);
  auto* restore = new QPushButton(QStringLiteral("Restore &Defaults"));
  restore->setAutoDefault(false);
  connect(restore, &QPushButton::clicked, this,
          [this, keys] { delegate_.defaultsController().revertToInitialValues(keys); });
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(restore);
  column->addLayout(row);
  return page;
}

QWidget* PreferencesWindow::generalPane() {
  auto* form = new QVBoxLayout;
  form->setSpacing(2);
  form->addWidget(new QLabel(QStringLiteral("When Quorlith starts:")));
  auto* choices = new QButtonGroup(this);
  const char* labels[] = {"Create a &new vault", "Show the Open dialog after a &second",
                          "Show the Open dialog at &once", "Open this &vault:"};
  for (int tag = 0; tag < 4; ++tag) {
    auto* radio = new QRadioButton(QString::fromUtf8(labels[tag]));
    radio->setObjectName(QStringLiteral("startupAction%1").arg(tag));
    choices->addButton(radio, tag);
    form->addWidget(radio);
  }
  binder_->bindCheckedId(choices, QStringLiteral("StartupActionTag"));

  auto* document = new QWidget;
  auto* documentRows = new QVBoxLayout(document);
  documentRows->setContentsMargins(24, 0, 0, 0);
  documentRows->setSpacing(2);
  auto* path = new QLabel;
  path->setObjectName(QStringLiteral("startupDocPath"));
  path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  binder_->bindText(path, QStringLiteral("StartupSelectedDocBookmark"),
                    QStringLiteral("ZVPathFromBookmark"));
  auto* status = new QLabel(delegate_.StartupDocPathMessageString());
  status->setObjectName(QStringLiteral("startupDocStatus"));
  QPalette warn = status->palette();
  warn.setColor(QPalette::WindowText, QColor(0xb0, 0x20, 0x20));
  status->setPalette(warn);
  connect(&delegate_, &ZVAppDelegateBase::StartupDocPathMessageStringChanged, status,
          &QLabel::setText);
  auto* buttons = new QHBoxLayout;
  const struct {
    const char* title;
    const char* name;
    void (ZVAppDelegateBase::*action)();
  } commands[] = {
      {"&Choose…", "selectStartupDoc", &ZVAppDelegateBase::selectStartupDoc},
      {"C&lear", "clearStartupSelectedDoc", &ZVAppDelegateBase::clearStartupSelectedDoc},
      {"Test O&pen", "testOpenStartupDoc", &ZVAppDelegateBase::testOpenStartupDoc},
      {"Show in File &Manager", "showInFinderStartupDoc",
       &ZVAppDelegateBase::showInFinderStartupDoc},
  };
  for (const auto& c : commands) {
    auto* button = new QPushButton(QString::fromUtf8(c.title));
    button->setObjectName(QString::fromLatin1(c.name));
    button->setAutoDefault(false);
    ZVAppDelegateBase* target = &delegate_;
    const auto action = c.action;
    connect(button, &QPushButton::clicked, this, [target, action] { (target->*action)(); });
    buttons->addWidget(button);
    // Only the first can act while no vault is chosen.
    if (c.action != &ZVAppDelegateBase::selectStartupDoc) {
      button->setEnabled(delegate_.StartupDocSpecified());
      connect(&delegate_, &ZVAppDelegateBase::StartupDocSpecifiedChanged, button,
              &QWidget::setEnabled);
    }
  }
  buttons->addStretch(1);
  documentRows->addWidget(path);
  documentRows->addWidget(status);
  documentRows->addLayout(buttons);
  binder_->bindEnabled(document, QStringLiteral("StartupActionTag"), QStringLiteral("valueIs3"));
  form->addWidget(document);
  return pane(form, {QStringLiteral("StartupActionTag")});
}

QWidget* PreferencesWindow::fontPane() {
  auto* form = new QFormLayout;
  auto* family = new QComboBox;
  family->setObjectName(QStringLiteral("tableFontFamily"));
  const ArrayRef families = delegate_.fontFamilyArray();
  for (qsizetype i = 0; i < families->count(); ++i) {
    const DictRef entry = families->at(i).toDictionary();
    const QString name = entry ? entry->value(QStringLiteral("font")).toString() : QString();
    if (!name.isEmpty()) family->addItem(name, name);
  }
  binder_->bindCurrentData(family, QStringLiteral("tableFontFamily"));
  auto* size = new QDoubleSpinBox;
  size->setObjectName(QStringLiteral("tableFontSize"));
  size->setRange(6.0, 48.0);
  size->setDecimals(1);
  size->setSingleStep(0.5);
  size->setSuffix(QStringLiteral(" pt"));
  binder_->bindValue(size, QStringLiteral("tableFontSize"));
  auto* bold = new QCheckBox(QStringLiteral("&Bold"));
  binder_->bindChecked(bold, QStringLiteral("tableFontBold"));
  auto* italic = new QCheckBox(QStringLiteral("&Italic"));
  binder_->bindChecked(italic, QStringLiteral("tableFontItalic"));
  auto* style = new QHBoxLayout;
  style->addWidget(bold);
  style->addWidget(italic);
  style->addStretch(1);
  form->addRow(QStringLiteral("Table f&ont:"), family);
  form->addRow(QStringLiteral("&Size:"), size);
  form->addRow(QString(), style);
  return pane(form, {QStringLiteral("tableFontFamily"), QStringLiteral("tableFontSize"),
                     QStringLiteral("tableFontBold"), QStringLiteral("tableFontItalic")});
}

QWidget* PreferencesWindow::passwordPane() {
  auto* column = new QVBoxLayout;
  auto* exclude = new QCheckBox(QStringLiteral("&Leave out characters that look alike:"));
  exclude->setObjectName(QStringLiteral("enableDisambiguator"));
  binder_->bindChecked(exclude, QStringLiteral("enableDisambiguator"));
  auto* characters = new QLineEdit;
  characters->setObjectName(QStringLiteral("noCharStringDisambiguator"));
  binder_->bindText(characters, QStringLiteral("noCharStringDisambiguator"));
  binder_->bindEnabled(characters, QStringLiteral("enableDisambiguator"),
                       QStringLiteral("bool2Num"));
  auto* row = new QHBoxLayout;
  row->addWidget(exclude);
  row->addWidget(characters, 1);
  column->addLayout(row);
  column->addWidget(note(QStringLiteral("The password generator makes no password with these.")));
  return pane(column, {QStringLiteral("noCharStringDisambiguator")});
}

QWidget* PreferencesWindow::timingPane() {
  auto* column = new QVBoxLayout;
  auto* form = new QFormLayout;
  auto* autosave = spin(1, 3600, QStringLiteral(" s"));
  autosave->setObjectName(QStringLiteral("autosavingDelay"));
  binder_->bindValue(autosave, QStringLiteral("autosavingDelay"));
  form->addRow(QStringLiteral("&Save changes after:"), autosave);
  form->addRow(QString(), note(QStringLiteral("Applies from the next start.")));

  auto* lock = new QCheckBox(QStringLiteral("&Lock vaults when Quorlith is left for:"));
  lock->setObjectName(QStringLiteral("autolocBackgroundEnabled"));
  binder_->bindChecked(lock, QStringLiteral("autolocBackgroundEnabled"));
  auto* lockAfter = spin(30, 86400, QStringLiteral(" s"));
  lockAfter->setObjectName(QStringLiteral("autolocBackgroundInterval"));
  binder_->bindValue(lockAfter, QStringLiteral("autolocBackgroundInterval"));
  binder_->bindEnabled(lockAfter, QStringLiteral("autolocBackgroundEnabled"),
                       QStringLiteral("bool2Num"));
  form->addRow(lock, lockAfter);

  auto* pull = spin(1, 3600, QStringLiteral(" s"));
  pull->setObjectName(QStringLiteral("disposePasswordIconAfter"));
  binder_->bindValue(pull, QStringLiteral("disposePasswordIconAfter"));
  form->addRow(QStringLiteral("&Pulled password waits for:"), pull);

  auto* notice = new QCheckBox(QStringLiteral("Show a &notice when a field is copied, for:"));
  notice->setObjectName(QStringLiteral("useHudNotifyForCopy"));
  binder_->bindChecked(notice, QStringLiteral("useHudNotifyForCopy"));
  auto* noticeFor = spin(3, 30, QStringLiteral(" × 0.1 s"));
  noticeFor->setObjectName(QStringLiteral("notifyHudTimer"));
  binder_->bindValue(noticeFor, QStringLiteral("notifyHudTimer"));
  binder_->bindEnabled(noticeFor, QStringLiteral("useHudNotifyForCopy"),
                       QStringLiteral("bool2Num"));
  form->addRow(notice, noticeFor);
  column->addLayout(form);
  return pane(
      column,
      {QStringLiteral("autosavingDelay"), QStringLiteral("autolocBackgroundEnabled"),
       QStringLiteral("autolocBackgroundInterval"), QStringLiteral("disposePasswordIconAfter"),
       QStringLiteral("useHudNotifyForCopy"), QStringLiteral("notifyHudTimer")});
}

QWidget* PreferencesWindow::advancedPane() {
  auto* form = new QFormLayout;
  auto* compare = new QComboBox;
  compare->setObjectName(QStringLiteral("tableSortCompare"));
  compare->addItem(QStringLiteral("Character by character (capitals first)"), 0);
  compare->addItem(QStringLiteral("By language"), 1);
  compare->addItem(QStringLiteral("By language, ignoring case"), 2);
  binder_->bindCurrentData(compare, QStringLiteral("tableSortCompare"));
  form->addRow(QStringLiteral("&Sort text columns:"), compare);
  return pane(form, {QStringLiteral("tableSortCompare")});
}

QWidget* PreferencesWindow::softwareUpdatePane() {
  auto* column = new QVBoxLayout;
  // A build that names no release feed checks nothing: the pane must not promise a check.
  const bool hasFeed = !delegate_.phoneHome().mirrors().isEmpty();
  auto* report = new QCheckBox(hasFeed ? QStringLiteral("&Report new releases, checked once a day")
                                       : QStringLiteral("&Report new releases"));
  report->setObjectName(QStringLiteral("notifyUpdate"));
  report->setEnabled(hasFeed);
  binder_->bindChecked(report, QStringLiteral("notifyUpdate"));
  column->addWidget(report);
  QLabel* explanation =
      note(hasFeed ? QStringLiteral("When off, releases are still checked quietly and you are "
                                    "asked now and then whether to hear of them.")
                   : QStringLiteral("This build of Quorlith names no release server, so it never "
                                    "checks for new releases."));
  explanation->setObjectName(QStringLiteral("softwareUpdateNote"));
  column->addWidget(explanation);
  return pane(column, {QStringLiteral("notifyUpdate")});
}
