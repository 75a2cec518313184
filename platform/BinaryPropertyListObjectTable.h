#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>
#include <array>
#include <functional>
#include <vector>

#include "platform/FlatIndex.h"
#include "platform/HugePages.h"

// The object table of a binary property list, written by two runs of the same calls: the
// first measures (how many objects, how many bytes, how many references), the second writes
// each object straight into a buffer of the exact size. Nothing is kept per object between
// the runs but what telling equal ones apart needs, so a table of millions of objects costs
// little more memory than the file it makes.
//
// Objects are added in file order (a container before its children, a dictionary's keys
// before its values); equal strings, numbers, data and UIDs share one object, booleans and
// containers never do.
class BinaryPropertyListObjectTable {
 public:
  // Calls fill on a table twice, the same way each time; the file has the first object
  // added as its top.
  static QByteArray write(const std::function<void(BinaryPropertyListObjectTable&)>& fill);

  quint64 addString(const QString& string);
  // For a caller that keeps its strings unique itself: adds without looking for an equal
  // string, so neither an equal string nor addString may come before or after. ascii:
  // isAscii(string), which the caller learns while the characters are at hand.
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

  // Containers: add the container, then fill each of its references (a dictionary's keys
  // first, then its values) with what adding the children returned.
  quint64 addArray(quint64 count);
  quint64 addSet(quint64 count);
  quint64 addDictionary(quint64 count);
  void setReference(quint64 container, quint64 position, quint64 object);

  quint64 count() const { return count_; }

 private:
  BinaryPropertyListObjectTable() = default;

  // Between the runs: sizes the file and forgets which objects were equal, to learn it again.
  void startWriting();
  QByteArray finish();

  // A new object of this many bytes besides its references; written at once when writing.
  quint64 newObject(quint64 bytes, quint64 references = 0);
  quint64 addNumber(FlatIndex<quint64>& index, quint8 marker, quint64 bits, bool isUnsigned);
  quint64 addContainer(quint8 type, quint64 count, quint64 references);
  quint64 offsetOf(quint64 object) const;

  bool writing_ = false;
  quint64 count_ = 0;
  // Measured by the first run.
  quint64 bytes_ = 0;
  quint64 references_ = 0;
  quint64 lastBytes_ = 0;
  quint64 lastReferences_ = 0;
  // Set for the second.
  int refSize_ = 0;
  int offsetSize_ = 0;
  quint64 tableOffset_ = 0;
  QByteArray out_;
  char* cursor_ = nullptr;
  // Where the references of containers added lately start: most are filled at once.
  std::array<std::pair<quint64, char*>, 16> recentContainers_{};

  // addString's strings and their objects, by the text's hash.
  std::vector<std::pair<QString, quint64>> strings_;
  FlatIndex<quint64> stringIndex_;
  // Data and their objects, by a hash of their size and edges.
  std::vector<std::pair<QByteArray, quint64>> data_;
  QMultiHash<std::size_t, std::size_t> dataIndex_;
  FlatIndex<quint64> integers_;
  FlatIndex<quint64> unsignedIntegers_;
  FlatIndex<quint64> reals_;
  FlatIndex<quint64> dates_;
  // Archives number their UIDs densely, so most live in a table indexed by value (object
  // plus one; 0: none yet).
  HugeArray<quint64> denseUids_;
  QHash<quint32, quint64> sparseUids_;
};
