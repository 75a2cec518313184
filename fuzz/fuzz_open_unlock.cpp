// Opening plus unlocking with a fixed password, over whatever bytes the fuzzer makes of
// current and older documents.
#include <cstddef>
#include <cstdint>

#include "platform/Dictionary.h"
#include "vault/CurrentFormatDecryptor.h"
#include "vault/FilteringArrayController.h"
#include "vault/LegacyRebuilder.h"
#include "vault/VaultFileReader.h"
#include "vault/ZVColoredCategoryArrayController.h"
#include "vault/ZVCommonCrypto.h"
#include "vault/ZVCrypto.h"

namespace {
const unsigned char kVector[ZVCrypto::kVectorLength] = {0x5e, 0x0c, 0x93, 0xa7,
                                                        0xd4, 0x1b, 0x68, 0xf2};

void releaseLinks(const ArrayRef& categories) {
  if (!categories) return;
  for (const Value& v : categories->values())
    if (Dictionary* c = v.dictionaryPointer())
      if (IdentitySet* members = c->records()) members->clear();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString password = QStringLiteral("fuzz password");
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  Result<VaultFile> read = VaultFileReader::read(bytes);
  if (!read || read.value().group == VaultFormat::Group::Refused) return 0;
  const VaultFile& f = read.value();
  const VaultFormat::Path path = VaultFormat::pathOf(f.version);
  if (VaultFormat::isLegacy(path)) {
    ZVCrypto engine(kVector, password);
    ZVColoredCategoryArrayController categories;
    FilteringArrayController records;
    records.myCategoryArrayController = &categories;
    categories.setContent(Array::create());
    records.setContent(Array::create());
    LegacyRebuilder(engine, records, categories).rebuild(path, f.dataArray, f.catArray);
    return 0;
  }
  ZVCommonCrypto engine(password);
  engine.setPasswordToDecrypt(password, f.iv, f.salt);
  CurrentPieces pieces{f.rc,           f.sha1Rc,         f.dataArrayData,
                       f.catArrayData, f.emailArrayData, f.documentCreationDateData};
  CurrentContents contents;
  CurrentFormatDecryptor::decrypt(
      &engine, pieces, path == VaultFormat::Path::CurrentClearingPinAndSecurity, contents);
  releaseLinks(contents.categories);
  return 0;
}
