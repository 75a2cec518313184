// Opening and saving a vault file of 1k, 10k and 100k records as the user waits for them,
// each beside its floor measured in the same run:
// - BM_OpenUnlock: the file on disk to unlocked, linked lists (read, parse, decrypt, unarchive,
//   relink); its floor, one key derivation, reading the file, decrypting the same pieces and
//   making the string of every field once.
// - BM_Save: the lists to the file on disk (archive, encrypt, write, flush, rename); its
//   floor, one key derivation, encrypting as many bytes, writing and flushing them atomically,
//   and reading every field once.
// - BM_OpenLocked: the file on disk to the held pieces of a locked vault, as the document
//   opens a file for its locked window (read, check, parse); its floor, reading the file once.
// BM_OpenUnlock/100000 also reports the peak resident memory of a child process that opens
// and unlocks the file, beside the file's size.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

#include "bench/BenchVault.h"
#include "platform/AtomicFile.h"
#include "platform/FileBytes.h"
#include "platform/crypto/Cryptor.h"
#include "vault/VaultFileBytes.h"
#include "vault/VaultFileReader.h"

namespace {

const char kChildVariable[] = "QV_BENCH_OPEN_CHILD";

QTemporaryDir& folder() {
  static QTemporaryDir dir;
  return dir;
}

QString savedVaultPath(int records) {
  static std::map<int, QString> paths;
  if (auto it = paths.find(records); it != paths.end()) return it->second;
  const QString path = folder().filePath(QStringLiteral("vault-%1.qvlt").arg(records));
  if (!AtomicFile::write(makeBenchVault(records)->fileData(kBenchPassword, {}).value(), path))
    return {};
  return paths[records] = path;
}

QByteArray readFile(const QString& path) { return FileBytes::read(path).value(); }

bool openAndUnlock(const QString& path, qsizetype* records = nullptr) {
  Vault vault;
  // The file's bytes go before the unlock, as when the document opens a file.
  if (!vault.read(readFile(path))) return false;
  if (!vault.unlock(kBenchPassword)) return false;
  if (records) *records = vault.records()->count();
  return true;
}

// Every string field of every record, as the text the archive holds.
std::vector<std::u16string> fieldTexts(const Vault& vault) {
  std::vector<std::u16string> texts;
  for (const Value& record : vault.records()->values())
    for (const auto& entry : record.dictionaryPointer()->entries())
      if (const QString* text = entry.second.stringPointer())
        texts.emplace_back(reinterpret_cast<const char16_t*>(text->utf16()), text->size());
  return texts;
}

QByteArray cipher(std::uint32_t operation, const QByteArray& key, const QByteArray& iv,
                  const QByteArray& in) {
  std::unique_ptr<Cryptor> cryptor;
  if (Cryptor::create(operation, Cryptor::kPKCS7Padding, key, iv, &cryptor) != Cryptor::kSuccess)
    return {};
  QByteArray out(qsizetype(cryptor->outputLength(std::size_t(in.size()), true)), '\0');
  std::size_t moved = 0, finished = 0;
  cryptor->update(in.constData(), std::size_t(in.size()), out.data(), std::size_t(out.size()),
                  &moved);
  cryptor->final(out.data() + moved, std::size_t(out.size()) - moved, &finished);
  out.truncate(qsizetype(moved + finished));
  return out;
}

// The peak resident memory, in MB, of a fresh process that opens and unlocks the file. The
// child reports its own high-water mark: the figure the kernel keeps for a child counts the
// pages it shared with this large process before its exec.
double childPeakMegabytes(const QString& path) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::close(pipeEnds[0]);
    ::setenv(kChildVariable, QFile::encodeName(path).constData(), 1);
    ::execl("/proc/self/exe", "bench_vault_io", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  QByteArray report;
  char buffer[64];
  for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, got);
  ::close(pipeEnds[0]);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0)
    return -1;
  return report.trimmed().toDouble() / 1024.0;
}

// VmHWM of this process, in kB.
QByteArray peakResidentKilobytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return "-1";
  for (const QByteArray& line : status.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0);
  return "-1";
}

void BM_OpenUnlock(benchmark::State& state) {
  const QString path = savedVaultPath(int(state.range(0)));
  for (auto _ : state) {
    qsizetype records = 0;
    if (!openAndUnlock(path, &records) || records != state.range(0)) {
      state.SkipWithError("did not unlock");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  if (state.range(0) == 100000) {
    state.counters["peak_rss_mb"] = childPeakMegabytes(path);
    state.counters["file_mb"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
  }
}

void BM_OpenFloor(benchmark::State& state) {
  const QString path = savedVaultPath(int(state.range(0)));
  Vault vault;
  if (!vault.read(readFile(path))) return state.SkipWithError("unreadable");
  const HeldPieces pieces = vault.heldPieces();
  if (!vault.unlock(kBenchPassword)) return state.SkipWithError("did not unlock");
  const std::vector<std::u16string> texts = fieldTexts(vault);
  for (auto _ : state) {
    const QByteArray key = ZVCommonCrypto::AESKeyForPassword(kBenchPassword, pieces.salt);
    benchmark::DoNotOptimize(readFile(path).size());
    for (const QByteArray* piece :
         {&pieces.records, &pieces.categories, &pieces.emails, &pieces.creationDate})
      benchmark::DoNotOptimize(cipher(Cryptor::kDecrypt, key, pieces.iv, *piece).size());
    std::vector<QString> strings;
    strings.reserve(texts.size());
    for (const std::u16string& text : texts)
      strings.emplace_back(QString::fromUtf16(text.data(), qsizetype(text.size())));
    benchmark::DoNotOptimize(strings.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_OpenLocked(benchmark::State& state) {
  const QString path = savedVaultPath(int(state.range(0)));
  for (auto _ : state) {
    Vault vault;
    Result<QByteArray, FileReadError> bytes = VaultFileBytes::read(path);
    if (!bytes || !vault.read(bytes.take()) || vault.heldPieces().records.isEmpty()) {
      state.SkipWithError("did not open");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_OpenLockedFloor(benchmark::State& state) {
  const QString path = savedVaultPath(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(readFile(path).size());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Save(benchmark::State& state) {
  const auto vault = makeBenchVault(int(state.range(0)));
  const QString path = folder().filePath(QStringLiteral("save-%1.qvlt").arg(state.range(0)));
  for (auto _ : state) {
    // As the document saves: the file's pieces written one after the other.
    VaultResult<QByteArrayList> file = vault->filePieces(kBenchPassword, DesktopViewState{});
    if (!file || !AtomicFile::write(file.value(), path)) {
      state.SkipWithError("not saved");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SaveFloor(benchmark::State& state) {
  const auto vault = makeBenchVault(int(state.range(0)));
  const QString path = folder().filePath(QStringLiteral("floor-%1.qvlt").arg(state.range(0)));
  const qsizetype size = QFileInfo(savedVaultPath(int(state.range(0)))).size();
  const QByteArray plain(size, 'p');
  const QByteArray salt(ZVCommonCrypto::kSaltLength, 's'), iv(ZVCommonCrypto::kIVLength, 'i');
  for (auto _ : state) {
    std::size_t characters = 0;
    for (const Value& record : vault->records()->values())
      for (const auto& entry : record.dictionaryPointer()->entries())
        if (const QString* text = entry.second.stringPointer())
          characters += std::size_t(text->size());
    benchmark::DoNotOptimize(characters);
    const QByteArray key = ZVCommonCrypto::AESKeyForPassword(kBenchPassword, salt);
    if (!AtomicFile::write(cipher(Cryptor::kEncrypt, key, iv, plain), path)) {
      state.SkipWithError("not written");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void sizes(benchmark::internal::Benchmark* b) {
  b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_OpenUnlock)->Apply(sizes);
BENCHMARK(BM_OpenFloor)->Apply(sizes);
BENCHMARK(BM_OpenLocked)->Apply(sizes);
BENCHMARK(BM_OpenLockedFloor)->Apply(sizes);
BENCHMARK(BM_Save)->Apply(sizes);
BENCHMARK(BM_SaveFloor)->Apply(sizes);

}  // namespace

int main(int argc, char** argv) {
  // The child of childPeakMegabytes: open, unlock, report through the exit status.
  if (const char* path = std::getenv(kChildVariable)) {
    if (!openAndUnlock(QFile::decodeName(path))) return 1;
    std::fputs(peakResidentKilobytes().constData(), stdout);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
