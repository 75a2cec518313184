#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QWidget;
class UserDefaults;

// Keeps widgets and settings in step: a widget shows its setting, an edit stores it at once,
// and a change of the setting from anywhere shows in the widget. A stored value the widget
// cannot show (out of a spin box's range, no such choice) shows as the registered value.
// Views that only follow a setting go through a named value transformer.
class DefaultsBinder : public QObject {
  Q_OBJECT

 public:
  explicit DefaultsBinder(UserDefaults& defaults, QObject* parent = nullptr);

  void bindChecked(QAbstractButton* button, const QString& key);
  void bindValue(QSpinBox* box, const QString& key);
  void bindValue(QDoubleSpinBox* box, const QString& key);
  void bindText(QLineEdit* field, const QString& key);
  // The choice whose item data equals the setting (integers or texts).
  void bindCurrentData(QComboBox* box, const QString& key);
  // The button whose group id equals the setting.
  void bindCheckedId(QButtonGroup* group, const QString& key);
  // One way: enabled when the transformed setting reads as set.
  void bindEnabled(QWidget* widget, const QString& key, const QString& transformerName);
  // One way: the transformed setting as text (empty for no value).
  void bindText(QLabel* label, const QString& key, const QString& transformerName);

  UserDefaults& defaults() const { return defaults_; }

 private:
  void add(const QString& key, std::function<void()> load);
  void reload(const QString& key);
  QVariant transformed(const QString& key, const QString& transformerName) const;

  UserDefaults& defaults_;
  QHash<QString, std::vector<std::function<void()>>> loaders_;
  bool loading_ = false;  // a widget being filled from its setting stores nothing back
};
