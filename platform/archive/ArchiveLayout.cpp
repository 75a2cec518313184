#include "platform/archive/ArchiveLayout.h"

#include <algorithm>

#include "platform/archive/BinaryPropertyListView.h"

namespace {
using View = BinaryPropertyListView;

// The offset table is read in pieces of this many entries: a hostile count costs no more
// memory than this, and a table of zeros (a hole in a sparse file) fails at its first entry.
constexpr quint64 kEntriesPerRead = 8192;

Failure layoutFailure(const QString& what) {
  return Failure{QStringLiteral("binary property list: %1").arg(what)};
}
}  // namespace

Result<void> ArchiveLayout::check(const FileSample& file) {
  const auto size = static_cast<quint64>(file.size());
  if (size < View::kHeaderSize + 1 + View::kTrailerSize)
    return layoutFailure(QStringLiteral("%1 bytes is too short").arg(size));
  Result<QByteArray> last = file.bytesAt(qint64(size - View::kTrailerSize), View::kTrailerSize);
  if (!last) return layoutFailure(QStringLiteral("its trailer: %1").arg(last.error()));
  Result<View::Trailer> trailer = View::trailer(last.value().constData(), size);
  if (!trailer) return trailer.failure();
  const View::Trailer& t = trailer.value();

  quint64 topOffset = 0;
  for (quint64 first = 0; first < t.objectCount; first += kEntriesPerRead) {
    const quint64 entries = std::min(kEntriesPerRead, t.objectCount - first);
    const quint64 at = t.offsetTableOffset + first * quint64(t.offsetSize);
    Result<QByteArray> table = file.bytesAt(qint64(at), qsizetype(entries * quint64(t.offsetSize)));
    if (!table) return layoutFailure(QStringLiteral("its offset table: %1").arg(table.error()));
    for (quint64 i = 0; i < entries; ++i) {
      const quint64 offset =
          View::bigEndian(table.value().constData() + i * quint64(t.offsetSize), t.offsetSize);
      if (offset < View::kHeaderSize || offset >= t.offsetTableOffset)
        return layoutFailure(QStringLiteral("offset %1 of object %2 lies outside the object area")
                                 .arg(offset)
                                 .arg(first + i));
      if (first + i == t.topObject) topOffset = offset;
    }
  }
  // The root of every keyed archive is a dictionary.
  Result<QByteArray> marker = file.bytesAt(qint64(topOffset), 1);
  if (!marker) return layoutFailure(QStringLiteral("its top object: %1").arg(marker.error()));
  if ((static_cast<unsigned char>(marker.value()[0]) >> 4) != 0xD)
    return layoutFailure(
        QStringLiteral("its top object, at offset %1, is not a dictionary").arg(topOffset));
  return {};
}
