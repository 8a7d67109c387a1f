#include "job/decryption.h"

#include <cerrno>
#include <memory>
#include <system_error>
#include <vector>

#include "cipher/fibonacci/fibonacci.h"
#include "cipher/frequency/frequency.h"
#include "cipher/stream_io.h"

namespace qor {
namespace {

constexpr char kSuffix[] = ".qor";

// ASCII letters only, so that no locale and no byte of a UTF-8 character
// changes the match.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `name` ends in kSuffix in any letter case, as Windows names match.
bool EndsInSuffix(const std::string& name) {
  const std::size_t n = sizeof kSuffix - 1;
  if (name.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (LowerAscii(name[name.size() - n + i]) != kSuffix[i]) return false;
  return true;
}

bool Exists(const std::string& name) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(PathOf(name), ec));
}

void Remove(const std::string& name) {
  std::error_code ec;
  std::filesystem::remove(PathOf(name), ec);
}

// Runs one method from `input` into the stream, filling in the outcome.
// True when its checks held.
bool RunMethod(CipherMethod method, std::FILE* input, std::FILE* output, const CipherKey& key,
               const Progress& progress, DecryptOutcome& outcome) {
  outcome.method = method;
  if (method == CipherMethod::kFibonacci) {
    outcome.fibonacci = DecryptFibonacci(input, output, key, progress);
    return outcome.fibonacci.ok();
  }
  outcome.frequency = DecryptFrequency(input, output, key, progress);
  return outcome.frequency.ok();
}

std::vector<CipherMethod> MethodsToTry(DecryptMethod method) {
  switch (method) {
    case DecryptMethod::kFibonacci:
      return {CipherMethod::kFibonacci};
    case DecryptMethod::kFrequency:
      return {CipherMethod::kFrequency};
    case DecryptMethod::kAuto:
      break;
  }
  return {CipherMethod::kFibonacci, CipherMethod::kFrequency};
}

// A name beside `output` that no file has yet.
std::string TemporaryNameFor(const std::string& output) {
  std::string name = output + ".part";
  for (int i = 1; i < 100 && Exists(name); ++i) name = output + ".part" + std::to_string(i);
  return name;
}

}  // namespace

std::string DecryptedNameFor(const std::string& encryptedName) {
  const std::size_t n = sizeof kSuffix - 1;
  if (encryptedName.size() <= n || !EndsInSuffix(encryptedName)) return {};
  const std::string name = encryptedName.substr(0, encryptedName.size() - n);
  if (name.back() == '/' || name.back() == '\\') return {};  // ".qor" alone is no name
  return name;
}

DecryptOutcome DecryptFile(const std::string& input, const std::string& output, DecryptMethod method,
                           const CipherKey& key, bool replace, const Progress& progress) {
  DecryptOutcome outcome;
  if (IsSameFile(input, output)) {
    outcome.file = {FileFault::kOutputIsInput, 0};
    return outcome;
  }
  if (!replace && Exists(output)) {
    outcome.outputExists = true;
    return outcome;
  }
  const std::string temporary = TemporaryNameFor(output);
  bool accepted = false;
  for (CipherMethod m : MethodsToTry(method)) {
    FileRun run;
    if (!run.OpenInput(input) || !run.OpenOutput(temporary, /*exclusive=*/true)) {
      outcome.file = run.result();
      return outcome;
    }
    run.Run([&](std::FILE* in, std::FILE* out) { accepted = RunMethod(m, in, out, key, progress, outcome); });
    outcome.file = run.Finish(/*keepOutput=*/accepted);
    if (!outcome.file.ok()) return outcome;
    if (accepted) break;
  }
  if (!accepted) {
    outcome.rejected = true;
    return outcome;
  }
  if (!replace && Exists(output)) {  // taken while we worked
    Remove(temporary);
    outcome.outputExists = true;
    return outcome;
  }
  std::error_code ec;
  std::filesystem::rename(PathOf(temporary), PathOf(output), ec);
  if (ec && replace) {
    // Where renaming does not replace, make room first.
    std::error_code ignored;
    std::filesystem::remove(PathOf(output), ignored);
    ec.clear();
    std::filesystem::rename(PathOf(temporary), PathOf(output), ec);
  }
  if (ec) {
    Remove(temporary);
    outcome.file = {FileFault::kWrite, ec.value()};
  }
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
// drops when it is the frequency method.
void Compare(std::FILE* decrypted, std::FILE* original, bool dropsBytes, VerifyOutcome& outcome) {
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
        return;
      }
      ++aAt;
      ++outcome.kept;
    }
    if (got < kBlock) break;
  }
  // The decrypted text must end where the original does.
  if (aAt < aFill || std::fgetc(decrypted) != EOF) outcome.firstDifference = offset;
}

}  // namespace

VerifyOutcome VerifyFile(const std::string& original, const std::string& encrypted, DecryptMethod method,
                         const CipherKey& key, const Progress& progress) {
  VerifyOutcome outcome;
  auto fail = [&outcome](FileFault fault, int error, const std::string& name) {
    outcome.file = {fault, error};
    outcome.fileName = name;
    return outcome;
  };
  errno = 0;
  File input(OpenFile(encrypted, "rb"));
  if (!input) return fail(FileFault::kOpenInput, errno, encrypted);

  File decrypted;
  DecryptOutcome run;
  bool accepted = false;
  for (CipherMethod m : MethodsToTry(method)) {
    std::rewind(input.get());
    errno = 0;
    decrypted.reset(std::tmpfile());
    if (!decrypted) return fail(FileFault::kOpenOutput, errno, "a temporary file");
    accepted = RunMethod(m, input.get(), decrypted.get(), key, progress, run);
    if (const FileFault f = ReadFaultOf(input.get()); f != FileFault::kNone) return fail(f, 0, encrypted);
    if (std::fflush(decrypted.get()) != 0 || std::ferror(decrypted.get()))
      return fail(FileFault::kWrite, errno, "a temporary file");
    if (accepted) break;
  }
  outcome.method = run.method;
  if (!accepted) {
    outcome.rejected = true;
    return outcome;
  }

  errno = 0;
  File source(OpenFile(original, "rb"));
  if (!source) return fail(FileFault::kOpenInput, errno, original);
  std::rewind(decrypted.get());
  const bool frequency = run.method == CipherMethod::kFrequency;
  Compare(decrypted.get(), source.get(), frequency, outcome);
  if (std::ferror(source.get())) return fail(FileFault::kRead, 0, original);
  if (std::ferror(decrypted.get())) return fail(FileFault::kRead, 0, "a temporary file");
  // Two bytes that read as 0x00 are also what an empty file gives.
  if (!frequency && run.fibonacci.couldBeEmpty && outcome.firstDifference == 0 && outcome.kept == 0 &&
      StreamSize(source.get()) == 0)
    outcome.firstDifference = -1;
  outcome.matches = outcome.firstDifference < 0;
  return outcome;
}

}  // namespace qor
