#include "Common/ZVImgData.h"

#include <QBuffer>
#include <QImage>

#include "Common/TransformerInput.h"

using namespace TransformerInput;

QVariant ZVImgData::transformedValue(const QVariant& value) const {
  const Value v = read(value);
  QImage image;
  if (v.isData()) image.loadFromData(v.toData());
  return QVariant::fromValue(image);
}

QVariant ZVImgData::reverseTransformedValue(const QVariant& value) const {
  if (!value.canConvert<QImage>()) return {};
  const QImage image = value.value<QImage>();
  if (image.isNull()) return {};
  QByteArray tiff;
  QBuffer buffer(&tiff);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "TIFF")) return {};
  return QVariant::fromValue(Value::data(tiff));
}

QMetaType ZVImgData::transformedValueClass() const { return QMetaType::fromType<QImage>(); }
