#include "job/file_decryption.h"

#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "cipher/frequency/code_table.h"
#include "job/file_names.h"
#include "job/input_file.h"
#include "job/output_file.h"

namespace qor {
namespace {

bool Exists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(PathOf(name), ec));
}

// How one method's attempt at a file went.
enum class Attempt {
  kRejected,   // its checks failed: the next method may be tried
  kAccepted,   // its checks held: the output is the decrypted file
  kFileFault,  // a file failed, or the run was stopped: nothing more is tried
};

// Runs `attempt(method)` for each method the choice tries, in turn, until
// one's checks hold or a file fails. The one loop of decrypt and verify.
template <class AttemptOne>
Attempt DecryptByChoice(const MethodChoice& choice, AttemptOne attempt) {
  for (Method m : MethodsToTry(choice)) {
    const Attempt a = attempt(m);
    if (a != Attempt::kRejected) return a;
  }
  return Attempt::kRejected;
}

}  // namespace

DecryptOutcome DecryptFile(const std::string& input, const std::string& output, MethodChoice choice,
                           const CipherKey& key, bool replace, const Progress& progress) {
  DecryptOutcome outcome;
  if (IsSameFile(input, output)) {
    outcome.file = {FileFault::kOutputIsInput, 0};
    return outcome;
  }
  if (UnreplaceableKind(output) != nullptr) {
    outcome.file = {FileFault::kOutputNotRegular, 0};
    return outcome;
  }
  if (!replace && Exists(output)) {
    outcome.outputExists = true;
    return outcome;
  }
  const Replacing replacing = replace ? Replacing::kRegularFile : Replacing::kNever;
  const Attempt attempt = DecryptByChoice(choice, [&](Method m) {
    FileRun run;
    if (!run.OpenInput(input) || !run.OpenOutput(output, replacing)) {
      outcome.file = run.result();
      return Attempt::kFileFault;
    }
    run.Run([&](std::FILE* in, std::FILE* out) {
      outcome.decrypted = Decrypt(m, in, out, key, progress);
      return outcome.decrypted.status() != DecryptStatus::kStopped;
    });
    const bool accepted = Accepted(choice, outcome.decrypted);
    outcome.file = run.Finish(/*keepOutput=*/accepted);
    if (!outcome.file.ok()) return Attempt::kFileFault;
    return accepted ? Attempt::kAccepted : Attempt::kRejected;
  });
  if (outcome.file.fault == FileFault::kOutputExists) {  // taken while we worked
    outcome.file = {};
    outcome.outputExists = true;
  }
  if (attempt == Attempt::kRejected) outcome.rejected = true;
  return outcome;
}

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Compares the decrypted text with the original, less the bytes the method
// drops when it is the frequency method, as far as the original really goes
// (its size is not asked). Returns true when the original held no byte.
bool Compare(std::FILE* decrypted, std::FILE* original, bool dropsBytes, VerifyOutcome& outcome) {
  constexpr std::size_t kBlock = 1 << 16;
  std::vector<std::uint8_t> a(kBlock), b(kBlock);
  std::size_t aFill = 0, aAt = 0;
  std::int64_t offset = 0;
  bool aDone = false;
  for (;;) {
    const std::size_t got = std::fread(b.data(), 1, kBlock, original);
    for (std::size_t i = 0; i < got; ++i, ++offset) {
      const std::uint8_t byte = b[i];
      if (dropsBytes && FrequencyCodeTable[byte].Dropped()) {
        ++outcome.dropped;
        continue;
      }
      if (aAt == aFill && !aDone) {
        aFill = std::fread(a.data(), 1, kBlock, decrypted);
        aAt = 0;
        aDone = aFill == 0;
      }
      if (aAt == aFill || a[aAt] != byte) {
        outcome.firstDifference = offset;
        return false;
      }
      ++aAt;
      ++outcome.kept;
    }
    if (got < kBlock) break;
  }
  // The decrypted text must end where the original does.
  if (aAt < aFill || std::fgetc(decrypted) != EOF) outcome.firstDifference = offset;
  return offset == 0;
}

}  // namespace

VerifyOutcome VerifyFile(const std::string& original, const std::string& encrypted, MethodChoice choice,
                         const CipherKey& key, const Progress& progress) {
  VerifyOutcome outcome;
  auto fail = [&outcome](FileFault fault, int error, const std::string& name) {
    outcome.file = {fault, error};
    outcome.fileName = name;
    return outcome;
  };
  const OpenedInput openedInput = OpenInputFile(encrypted);
  File input(openedInput.file);
  if (!input) return fail(openedInput.fault, openedInput.error, encrypted);

  File decrypted;
  DecryptResult run;
  const Attempt attempt = DecryptByChoice(choice, [&](Method m) {
    std::rewind(input.get());
    errno = 0;
    decrypted.reset(std::tmpfile());
    if (!decrypted) {
      fail(FileFault::kOpenOutput, errno, "a temporary file");
      return Attempt::kFileFault;
    }
    run = Decrypt(m, input.get(), decrypted.get(), key, progress);
    if (run.status() == DecryptStatus::kStopped) {
      fail(FileFault::kStopped, 0, encrypted);
      return Attempt::kFileFault;
    }
    if (const FileFault f = ReadFaultOf(input.get(), openedInput.size); f != FileFault::kNone) {
      fail(f, 0, encrypted);
      return Attempt::kFileFault;
    }
    if (std::fflush(decrypted.get()) != 0 || std::ferror(decrypted.get())) {
      fail(FileFault::kWrite, errno, "a temporary file");
      return Attempt::kFileFault;
    }
    return Accepted(choice, run) ? Attempt::kAccepted : Attempt::kRejected;
  });
  outcome.method = run.method;
  if (attempt == Attempt::kFileFault) return outcome;
  if (attempt == Attempt::kRejected) {
    outcome.rejected = true;
    outcome.tooManyDrops = run.status() == DecryptStatus::kTooManyDrops;
    return outcome;
  }

  const OpenedInput openedSource = OpenInputFile(original);
  File source(openedSource.file);
  if (!source) return fail(openedSource.fault, openedSource.error, original);
  std::rewind(decrypted.get());
  const bool frequency = run.method == Method::kFrequency;
  const bool originalEmpty = Compare(decrypted.get(), source.get(), frequency, outcome);
  if (std::ferror(source.get())) return fail(FileFault::kRead, 0, original);
  if (std::ferror(decrypted.get())) return fail(FileFault::kRead, 0, "a temporary file");
  // Two bytes that read as 0x00 are also what an empty file gives. Empty by
  // what was read, not by its size: a /proc file says 0 and is not empty.
  if (!frequency && run.fibonacci.couldBeEmpty && outcome.firstDifference == 0 && outcome.kept == 0 &&
      originalEmpty)
    outcome.firstDifference = -1;
  outcome.matches = outcome.firstDifference < 0;
  return outcome;
}

}  // namespace qor
