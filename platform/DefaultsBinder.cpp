#include "platform/DefaultsBinder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "platform/UserDefaults.h"
#include "platform/ValueTransformerRegistry.h"

DefaultsBinder::DefaultsBinder(UserDefaults& defaults, QObject* parent)
    : QObject(parent), defaults_(defaults) {
  connect(&defaults_, &UserDefaults::valueChanged, this, &DefaultsBinder::reload);
}

void DefaultsBinder::add(const QString& key, std::function<void()> load) {
  loading_ = true;
  load();
  loading_ = false;
  loaders_[key].push_back(std::move(load));
}

void DefaultsBinder::reload(const QString& key) {
  const auto it = loaders_.constFind(key);
  if (it == loaders_.constEnd()) return;
  loading_ = true;
  for (const auto& load : *it) load();
  loading_ = false;
}

QVariant DefaultsBinder::transformed(const QString& key, const QString& transformerName) const {
  const Value value = defaults_.objectForKey(key);
  const QVariant raw = value.isAbsent() ? QVariant() : QVariant::fromValue(value);
  const auto transformer = ValueTransformerRegistry::valueTransformerForName(transformerName);
  return transformer ? transformer->transformedValue(raw) : raw;
}

void DefaultsBinder::bindChecked(QAbstractButton* button, const QString& key) {
  add(key, [this, button, key] { button->setChecked(defaults_.boolForKey(key)); });
  connect(button, &QAbstractButton::toggled, this, [this, key](bool on) {
    if (!loading_) defaults_.setBool(key, on);
  });
}

void DefaultsBinder::bindValue(QSpinBox* box, const QString& key) {
  add(key, [this, box, key] {
    qint64 v = defaults_.integerForKey(key);
    if (v < box->minimum() || v > box->maximum())
      v = defaults_.registeredDefaults()->value(key).toInteger(box->minimum());
    box->setValue(static_cast<int>(std::clamp<qint64>(v, box->minimum(), box->maximum())));
  });
  connect(box, &QSpinBox::valueChanged, this, [this, key](int v) {
    if (!loading_) defaults_.setInteger(key, v);
  });
}

void DefaultsBinder::bindValue(QDoubleSpinBox* box, const QString& key) {
  add(key, [this, box, key] {
    double v = defaults_.doubleForKey(key);
    if (!(v >= box->minimum() && v <= box->maximum()))
      v = defaults_.registeredDefaults()->value(key).toDouble(box->minimum());
    box->setValue(std::clamp(v, box->minimum(), box->maximum()));
  });
  connect(box, &QDoubleSpinBox::valueChanged, this, [this, key](double v) {
    if (!loading_) defaults_.setDouble(key, v);
  });
}

void DefaultsBinder::bindText(QLineEdit* field, const QString& key) {
  add(key, [this, field, key] {
    const QString text = defaults_.stringForKey(key);
    if (field->text() != text) field->setText(text);
  });
  connect(field, &QLineEdit::textEdited, this, [this, key](const QString& text) {
    if (!loading_) defaults_.setString(key, text);
  });
}

void DefaultsBinder::bindCurrentData(QComboBox* box, const QString& key) {
  add(key, [this, box, key] {
    const Value stored = defaults_.objectForKey(key);
    const auto find = [box](const Value& v) {
      return v.isString() ? box->findData(*v.stringPointer())
                          : box->findData(QVariant::fromValue(v.toInteger(-1)));
    };
    int index = find(stored);
    if (index < 0) index = find(defaults_.registeredDefaults()->value(key));
    if (index < 0 && stored.isString() && !stored.toString().isEmpty()) {
      // A name the list does not have (a font not installed here) still shows as chosen.
      box->addItem(stored.toString(), stored.toString());
      index = box->count() - 1;
    }
    box->setCurrentIndex(index);
  });
  connect(box, &QComboBox::currentIndexChanged, this, [this, box, key](int index) {
    if (loading_ || index < 0) return;
    const QVariant data = box->itemData(index);
    if (data.typeId() == QMetaType::QString)
      defaults_.setString(key, data.toString());
    else
      defaults_.setInteger(key, data.toLongLong());
  });
}

void DefaultsBinder::bindCheckedId(QButtonGroup* group, const QString& key) {
  add(key, [this, group, key] {
    QAbstractButton* button = group->button(static_cast<int>(defaults_.integerForKey(key)));
    if (button) {
      button->setChecked(true);
    } else if (QAbstractButton* checked = group->checkedButton()) {
      // A value no button stands for: none is shown as chosen.
      group->setExclusive(false);
      checked->setChecked(false);
      group->setExclusive(true);
    }
  });
  connect(group, &QButtonGroup::idClicked, this, [this, key](int id) {
    if (!loading_) defaults_.setInteger(key, id);
  });
}

void DefaultsBinder::bindEnabled(QWidget* widget, const QString& key,
                                 const QString& transformerName) {
  add(key, [this, widget, key, transformerName] {
    const QVariant v = transformed(key, transformerName);
    widget->setEnabled(v.canConvert<Value>() && v.metaType() == QMetaType::fromType<Value>()
                           ? v.value<Value>().toBool(false)
                           : v.toBool());
  });
}

void DefaultsBinder::bindText(QLabel* label, const QString& key, const QString& transformerName) {
  add(key, [this, label, key, transformerName] {
    const QVariant v = transformed(key, transformerName);
    label->setText(v.metaType() == QMetaType::fromType<Value>() ? v.value<Value>().toString()
                                                                : v.toString());
  });
}
