#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QStringView>
#include <array>
#include <deque>
#include <vector>

#include "platform/Dictionary.h"
#include "platform/Result.h"
#include "platform/Value.h"
#include "platform/archive/FlatIndex.h"

class BinaryPropertyListObjectTable;

// Makes a keyed archive (the NSKeyedArchiver format: a binary property list of numbered
// objects) of a value of the document model, with the class names the macOS editions write.
class KeyedArchiver {
 public:
  static constexpr int kMaxDepth = 512;

  // How the dictionaries of a root list are archived in a form other than they are held,
  // without copying each: under other keys, each archived value one of the dictionary's own
  // or one given for it.
  class ElementForm {
   public:
    static constexpr qsizetype kGiven = -1;
    struct Shape {
      DictionaryKeysRef keys;
      // Per key: the index of the dictionary's own value, or kGiven.
      std::vector<qsizetype> sources;
    };
    virtual ~ElementForm() = default;
    // The shape to archive the dictionary in, which stays valid while archiving, with its
    // given value put in given; nullptr to archive it as it is.
    virtual const Shape* shapeOf(const Dictionary& element, Value& given) = 0;
  };

  // Fails for an absent root or element, a container that contains itself, a non-finite
  // rectangle, or nesting deeper than kMaxDepth. With a form, the root list's dictionaries
  // are archived in the shapes it gives.
  static Result<QByteArray> archivedDataWithRootObject(const Value& root,
                                                       ElementForm* form = nullptr);
  // The same bytes in order, each data value of at least apartSize bytes its own piece,
  // shared rather than copied.
  static Result<QByteArrayList> archivedPiecesWithRootObject(const Value& root,
                                                             qsizetype apartSize);

 private:
  // What one numbered object holds; flat, so archiving many records allocates little.
  enum class Shape : quint8 {
    String,
    Data,
    Integer,
    Unsigned,
    Real,
    Boolean,
    Null,
    Date,
    MutableString,
    MutableData,
    RectValue,
    Array,
    Dictionary,
    ClassRecord,
  };
  struct Object {
    Shape shape = Shape::String;
    quint32 classUid = 0;
    quint32 count = 0;
    // Scalars and dates: the value's bits; strings: the text's index in texts_; data: an
    // index into data_; class records: the ClassName; rectangles: the text's UID; containers:
    // the first element UID in elementUids_ (a dictionary's key UIDs, then its value UIDs).
    quint64 bits = 0;
  };
  // The fixed key strings.
  enum class Key : quint8 {
    Version,
    Archiver,
    Top,
    Objects,
    Root,
    Class,
    Classes,
    ClassName,
    NsKeys,
    NsObjects,
    NsString,
    NsTime,
    NsData,
    NsRectval,
    NsSpecial,
    Count,
  };
  // The classes archived objects name; each has one class record.
  enum class ClassName : quint8 {
    MutableString,
    MutableData,
    Value,
    Null,
    Date,
    Array,
    MutableArray,
    Dictionary,
    MutableDictionary,
    Count,
  };

  explicit KeyedArchiver(ElementForm* form);

  Result<quint32> encode(const Value& value, int depth);
  Result<quint32> encodeContainer(const Value& value, int depth);
  Result<quint32> encodeScalar(const Value& value);
  quint32 encodeString(quint32 text);
  // Makes room in the indexes for a root list of dictionaries shaped alike, as a vault's
  // records mostly are, so they need not grow one doubling at a time.
  void reserveFor(const std::vector<Value>& list);
  // Asks ahead for what archiving the dictionaries of a list will read next, from element i on.
  void prefetchAhead(const std::vector<Value>& list, std::size_t i);
  quint32 add(Shape shape, quint64 bits = 0, quint32 count = 0);
  quint32 addData(Shape shape, const QByteArray& data);
  quint32 classRecord(ClassName name);
  // The index in texts_ of a string of the archived value, which outlives the archiving.
  quint32 textOf(const QString& string);
  quint32 intern(QStringView text);
  // A text made while archiving: kept here if new.
  quint32 internMade(QString text);

  // The archive as a property list table, with the object top as its root.
  void fill(BinaryPropertyListObjectTable& table, quint32 top);
  quint64 writeObject(BinaryPropertyListObjectTable& table, const Object& object);
  quint64 textEntry(BinaryPropertyListObjectTable& table, quint32 text);
  quint64 key(BinaryPropertyListObjectTable& table, Key which);

  ElementForm* form_;
  std::deque<Value> keptGivens_;
  std::vector<Object> objects_;
  std::vector<quint32> elementUids_;
  std::vector<QByteArray> data_;
  // Every distinct text once, so each is hashed once and the table need not look again.
  // Views, not copies: the archived value's strings and madeTexts_ outlive the archiving.
  std::vector<QStringView> texts_;
  std::vector<quint8> asciiTexts_;
  FlatIndex<quint32, quint32> textIds_;
  std::vector<QString> madeTexts_;
  // Per text: its immutable string object (0 before: UID 0 is "$null", never shared) and
  // its table entry (0 before: entry 0 is the top dictionary).
  std::vector<quint32> stringUids_;
  std::vector<quint64> textEntries_;
  // Texts by where their characters live: records mostly share the very same key strings,
  // found here without hashing their characters.
  struct RecentText {
    const QChar* characters = nullptr;
    qsizetype size = -1;
    quint32 text = 0;
  };
  std::array<RecentText, 64> recentTexts_{};
  std::array<quint32, static_cast<std::size_t>(ClassName::Count)> classes_{};
  FlatIndex<quint32> integers_;
  FlatIndex<quint32> unsignedIntegers_;
  FlatIndex<quint32> reals_;
  FlatIndex<quint32> dates_;
  std::array<quint32, 2> booleans_{};
  quint32 null_ = 0;
  // Containers' UIDs by address; one without a class record yet is being archived.
  FlatIndex<quint32> containers_;
  std::array<quint32, static_cast<std::size_t>(Key::Count)> keyTexts_{};
};
