#include "platform/crypto/LegacyProvider.h"

#include <openssl/provider.h>

#include <QtGlobal>
#include <mutex>

namespace {

struct ProviderState {
  // Held for the life of the process.
  OSSL_PROVIDER* legacy = nullptr;
  OSSL_PROVIDER* standard = nullptr;
  bool loaded = false;
  QString error;
};

const ProviderState& state() {
  static ProviderState providers;
  static std::once_flag once;
  std::call_once(once, [] {
    providers.legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    providers.standard = OSSL_PROVIDER_load(nullptr, "default");
    if (providers.legacy == nullptr) {
      providers.error = QStringLiteral(
          "Blowfish is unavailable: the OpenSSL \"legacy\" provider could not be loaded, so "
          "documents of the older formats cannot be opened. Install the OpenSSL legacy module "
          "(ossl-modules/legacy.so) or set OPENSSL_MODULES to its folder.");
      qWarning("%s", qUtf8Printable(providers.error));
    } else if (providers.standard == nullptr) {
      providers.error = QStringLiteral("The OpenSSL \"default\" provider could not be loaded.");
      qWarning("%s", qUtf8Printable(providers.error));
    } else {
      providers.loaded = true;
    }
  });
  return providers;
}

}  // namespace

bool LegacyProvider::ensureLoaded() { return state().loaded; }

QString LegacyProvider::errorMessage() { return state().error; }
