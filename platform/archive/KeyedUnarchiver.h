#pragma once

#include <QByteArray>
#include <QHash>
#include <array>
#include <optional>
#include <vector>

#include "platform/Dictionary.h"
#include "platform/Result.h"
#include "platform/Value.h"
#include "platform/archive/BinaryPropertyListView.h"

// Reads a keyed archive (the NSKeyedArchiver format) back into the document model: strings,
// numbers, dates, data, rectangle values, NSNull, arrays and dictionaries. Any other class,
// and any archive that breaks the format's rules, gives an error naming the object.
//
// Objects are decoded straight from the property list's bytes; only objects referenced more
// than once are kept aside, so that they are decoded once and stay one object.
class KeyedUnarchiver {
 public:
  static constexpr int kMaxDepth = 512;

  // A root of nil reads as an absent value.
  static Result<Value> unarchiveObjectWithData(const QByteArray& data);
  // The same, but a run of bytes that takes half of the data or more is a part of data's block,
  // kept alive by it, instead of a copy: a container of ciphertexts read from a file is read
  // once. Never for plaintext, whose wipe would reach the part. The rest is copied, so that no
  // small value keeps the whole block alive.
  static Result<Value> unarchiveSharingData(const QByteArray& data);

 private:
  using Object = BinaryPropertyListView::Object;
  static constexpr quint64 kNone = ~quint64{0};

  // The classes this reader knows; Other for any other class record.
  enum class Class : quint8 {
    Array,
    MutableArray,
    Dictionary,
    MutableDictionary,
    String,
    MutableString,
    Data,
    MutableData,
    Date,
    Null,
    Value,
    Other,
  };
  // The keys of an archived object this reader looks at.
  enum Field { kClass, kKeys, kObjects, kString, kBytes, kData, kTime, kSpecial, kRectval };
  // Each field's value, if the object has it.
  using Fields = std::array<std::optional<BinaryPropertyListView::Object>, kRectval + 1>;

  // A shared object: decoded once, and one object wherever it is referenced.
  struct Memo {
    Value value;  // absent until decoded
    bool decoding = false;
  };

  KeyedUnarchiver(const BinaryPropertyListView& plist, const Object& objects, quint64 root,
                  bool sharesData);

  static Result<Value> unarchive(const QByteArray& data, bool sharesData);
  QByteArray bytesOf(const Object& data) const;

  void countReferences(quint64 root);
  void noteReference(quint64 uid);
  bool isShared(quint64 uid) const;
  Memo& memoOf(quint64 uid);
  Result<Value> decode(quint64 uid, int depth);
  Result<Value> decodeObject(quint64 uid, const Object& object, int depth);
  Result<Fields> fieldsOf(const Object& object);
  Result<Class> classOf(quint64 uid, const Fields& fields);
  QString className(const Fields& fields) const;
  Result<Object> list(quint64 uid, const std::optional<Object>& field, const char* key) const;
  // Decodes each element of a list of UIDs and hands it to take(position, value).
  template <typename Take>
  Result<void> decodeList(quint64 uid, const Object& list, const char* key, int depth, Take take);
  Failure fail(quint64 uid, const QString& what) const;
  // Records repeat one list of keys: a dictionary whose keys are those of a recent one shares
  // that list. None when a key is given twice.
  DictionaryKeysRef sharedKeys(const std::vector<QString>& names);
  // The UIDs a list holds, when every element is one; false leaves the list to decodeList.
  bool uidsOf(const Object& list, std::vector<quint64>& uids) const;

  const BinaryPropertyListView& plist_;
  const Object objects_;  // the $objects array
  const bool sharesData_;
  // From a look at every reference before decoding, a bit an object: seen once, and seen
  // more than once (shared).
  std::vector<quint64> seen_;
  std::vector<quint64> shared_;
  // Shared objects before each word of shared_, to number them.
  std::vector<quint64> sharedBefore_;
  // Shared objects, by their number.
  std::vector<Memo> sharedValues_;
  // The field each key object names (past the last field for any other key), by its index:
  // objects repeat a handful of keys.
  struct KeyField {
    quint64 index = kNone;
    quint8 field = 0;
  };
  std::array<KeyField, 64> keyFields_;
  std::array<DictionaryKeysRef, 4> recentKeys_;
  std::size_t nextRecentKeys_ = 0;
  // The NS.keys UIDs of the last dictionary that gave a shared key list, and that list:
  // records name the same key objects, so their keys need no decoding.
  std::vector<quint64> lastKeyUids_;
  DictionaryKeysRef lastKeys_;
  std::vector<quint64> keyUids_;
  // By the object index of a $class value: records repeat a handful of classes.
  QHash<quint64, Class> classes_;
  // Elements left to decode. A list the property list shares among many objects could make
  // the work grow with the square of the size; no writer comes near this many a byte.
  static constexpr quint64 kElementsPerByte = 8;
  quint64 elementBudget_;
};
