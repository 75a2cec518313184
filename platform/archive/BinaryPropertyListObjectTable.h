#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QHash>
#include <QString>
#include <QStringView>
#include <vector>

#include "platform/archive/FlatIndex.h"

// The object table of a binary property list being written. Objects are added in file order
// (a container before its children, a dictionary's keys before its values); equal strings,
// numbers, data and UIDs share one entry, booleans and containers never do. Entries are flat
// records with their references in one shared pool, so large lists cost no allocation each.
class BinaryPropertyListObjectTable {
 public:
  quint64 addString(const QString& string);
  // For a caller that keeps its strings unique itself: adds without looking for an equal
  // string, so neither an equal string nor addString may come before or after. The
  // characters are not copied: they must outlive write(). ascii: isAscii(string), which the
  // caller learns while the characters are at hand.
  quint64 addDistinctString(QStringView string, bool ascii);
  static bool isAscii(QStringView string);
  quint64 addData(const QByteArray& bytes);
  // isUnsigned: the bits hold an unsigned value above 2^63 - 1.
  quint64 addInteger(qint64 value, bool isUnsigned = false);
  quint64 addReal(double value);
  quint64 addDate(double secondsSinceReferenceDate);
  quint64 addBoolean(bool value);
  quint64 addNull();
  quint64 addUid(quint32 value);
  // Room for about this many entries, references, distinct strings and reals, and for UIDs
  // below uidCount: growing tables of millions of entries would copy and rehash them again
  // and again.
  void reserve(quint64 entries, quint64 references, quint64 strings, quint64 reals,
               quint32 uidCount);

  // Containers: add the container, then fill each of its references (a dictionary's keys
  // first, then its values) with what adding the children returned.
  quint64 addArray(quint64 count);
  quint64 addSet(quint64 count);
  quint64 addDictionary(quint64 count);
  void setReference(quint64 container, quint64 position, quint64 object);

  quint64 count() const { return entries_.size(); }

  // The whole file, with the first entry as the top object.
  QByteArray write() const;
  // The same bytes in order, each data object of at least apartSize bytes its own piece,
  // shared rather than copied: a file can go to disk without an assembled copy of its large
  // contents.
  QByteArrayList writePieces(qsizetype apartSize) const;

 private:
  enum class Kind : quint8 { Null, Boolean, Integer, Real, Date, Data, String, Uid, Container };
  // 16 bytes: tables of millions of entries are costly mostly as fresh memory.
  struct Entry {
    // Scalars: the value's bits; strings and data: an index into their list; containers: the
    // first reference in the pool.
    quint64 bits = 0;
    // A container's count: no list in memory comes near 2^32 elements.
    quint32 size = 0;
    Kind kind = Kind::Null;
    // Containers: the marker type; integers: whether stored unsigned; strings: whether ASCII.
    quint8 flag = 0;
  };

  quint64 append(Kind kind, quint64 bits, quint8 flag = 0, quint64 size = 0);
  quint64 addNumber(FlatIndex<quint64>& index, Kind kind, quint64 bits, quint8 flag = 0);
  quint64 addContainer(quint8 type, quint64 count, quint64 references);
  // An entry's bytes in the file but for its references, whose width is known at the end.
  quint64 bytesBesideReferences(const Entry& e) const;
  static quint64 referencesOf(const Entry& e);
  // The bytes, data objects of at least apartSize bytes apart; tailRoom: free capacity after
  // the bytes when they are one piece.
  QByteArrayList writeParts(qsizetype apartSize, qsizetype tailRoom) const;

  std::vector<Entry> entries_;
  // All entries' bytesBesideReferences, and the last one's.
  quint64 bytes_ = 0;
  quint64 lastBytes_ = 0;
  // Entry indices: 2^32 entries would take 64 GiB.
  std::vector<quint32> references_;
  std::vector<QStringView> strings_;
  // addString's copies, which its views point into.
  std::vector<QString> heldStrings_;
  std::vector<QByteArray> data_;
  FlatIndex<quint64> stringEntries_;
  // Data entries by a hash of their size and edges.
  QMultiHash<std::size_t, quint64> dataEntries_;
  FlatIndex<quint64> integerEntries_;
  FlatIndex<quint64> unsignedEntries_;
  FlatIndex<quint64> realEntries_;
  FlatIndex<quint64> dateEntries_;
  // Archives number their UIDs densely, so most live in a table indexed by value.
  std::vector<quint64> denseUidEntries_;
  QHash<quint32, quint64> sparseUidEntries_;
};
