// Opening plus unlocking with a fixed password, over whatever bytes the fuzzer makes of
// current and older vault files; a vault that unlocks is written and read back.
#include <cstddef>
#include <cstdint>

#include "vault/Vault.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString password = QStringLiteral("fuzz password");
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  Vault vault;
  if (!vault.read(bytes) || !vault.unlock(password)) return 0;
  VaultResult<QByteArray> written = vault.fileData(password, vault.viewState());
  if (!written) return 0;
  Vault again;
  if (!again.read(written.value()) || !again.unlock(password)) __builtin_trap();
  return 0;
}
