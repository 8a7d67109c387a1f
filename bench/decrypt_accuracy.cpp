// Frequency decryption on real text: speed and how much comes back right.
// Each corpus file is encrypted whole and decrypted (best of RUNS: in wall
// time and in the process's processor time, which a busy machine disturbs
// less, on two workers; and in wall time as one reading on one thread),
// and the output is compared with the text less the bytes the method drops:
// one output byte stands for each kept byte, so the two line up. Then the
// file is cut into 1 KB pieces, each encrypted and decrypted on its own.
//   decrypt_accuracy FILE...   (Windows-1252 text; RUNS=3, KEY=Clave77)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <string>
#include <vector>

#include "cipher/frequency/code_table.h"
#include "cipher/frequency/decode_segments.h"
#include "cipher/frequency/frequency.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAll(const char* name) {
  Bytes bytes;
  std::FILE* f = std::fopen(name, "rb");
  if (!f) return bytes;
  std::uint8_t block[1 << 16];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, f)) > 0;) bytes.insert(bytes.end(), block, block + n);
  std::fclose(f);
  return bytes;
}

std::FILE* FileOf(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::tmpfile();
  if (!f) std::exit(1);
  std::fwrite(data, 1, size, f);
  std::fflush(f);
  std::rewind(f);
  return f;
}

Bytes Contents(std::FILE* f) {
  Bytes bytes(static_cast<std::size_t>(std::ftell(f)));
  std::rewind(f);
  if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::exit(1);
  return bytes;
}

Bytes Encrypt(const std::uint8_t* data, std::size_t size, const qor::CipherKey& key) {
  std::FILE* in = FileOf(data, size);
  std::FILE* out = std::tmpfile();
  qor::EncryptFrequency(in, out, key);
  std::fflush(out);
  Bytes encrypted = Contents(out);
  std::fclose(in);
  std::fclose(out);
  return encrypted;
}

struct Decrypted {
  bool ok = false;
  Bytes text;
  double seconds = 0, cpuSeconds = 0;
};

// By default on two workers; `oneThread` reads the file as one segment on
// the caller's thread, as one core would.
Decrypted Decrypt(const Bytes& encrypted, const qor::CipherKey& key, bool oneThread = false) {
  Decrypted d;
  std::FILE* in = FileOf(encrypted.data(), encrypted.size());
  std::FILE* out = std::tmpfile();
  const auto t0 = std::chrono::steady_clock::now();
  const std::clock_t c0 = std::clock();
  d.ok = oneThread ? qor::DecryptFrequencyBySegments(in, out, key, {}, {.segmentBytes = std::int64_t{1} << 40, .workers = 0}).ok()
                   : qor::DecryptFrequency(in, out, key).ok();
  std::fflush(out);
  d.cpuSeconds = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
  d.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  d.text = Contents(out);
  std::fclose(in);
  std::fclose(out);
  return d;
}

Bytes Kept(const std::uint8_t* data, std::size_t size) {
  Bytes kept;
  for (std::size_t i = 0; i < size; ++i)
    if (!qor::FrequencyCodeTable[data[i]].Dropped()) kept.push_back(data[i]);
  return kept;
}

std::size_t Right(const Bytes& got, const Bytes& want) {
  std::size_t right = 0;
  for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i) right += got[i] == want[i];
  return right;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = std::getenv("RUNS") ? std::max(1, std::atoi(std::getenv("RUNS"))) : 3;
  const qor::CipherKey key(std::getenv("KEY") ? std::getenv("KEY") : "Clave77");
  constexpr std::size_t kPiece = 1024;
  std::printf("%-17s %6s %8s %9s %8s %8s %10s %11s %10s %7s\n", "corpus", "KB", "dropped", "MB/s", "cpu MB/s",
              "1 thread", "kept right", "wrong bytes", "1 KB exact", "refused");
  for (int a = 1; a < argc; ++a) {
    const Bytes text = ReadAll(argv[a]);
    if (text.empty()) {
      std::fprintf(stderr, "decrypt_accuracy: cannot read %s\n", argv[a]);
      return 1;
    }
    const Bytes kept = Kept(text.data(), text.size());
    const Bytes encrypted = Encrypt(text.data(), text.size(), key);
    Decrypted whole;
    double best = 1e30, bestCpu = 1e30, bestOne = 1e30;
    for (int r = 0; r < runs; ++r) {
      whole = Decrypt(encrypted, key);
      best = std::min(best, whole.seconds);
      bestCpu = std::min(bestCpu, whole.cpuSeconds);
      bestOne = std::min(bestOne, Decrypt(encrypted, key, true).seconds);
    }
    const std::size_t right = whole.ok ? Right(whole.text, kept) : 0;

    std::size_t pieces = 0, exact = 0, refused = 0;
    for (std::size_t at = 0; at + kPiece <= text.size(); at += kPiece, ++pieces) {
      const Decrypted d = Decrypt(Encrypt(text.data() + at, kPiece, key), key);
      refused += !d.ok;
      exact += d.ok && d.text == Kept(text.data() + at, kPiece);
    }
    std::string name = argv[a];
    name = name.substr(name.find_last_of('/') + 1);
    const double mb = static_cast<double>(text.size()) / 1e6;
    std::printf("%-17s %6zu %7.2f%% %9.2f %8.2f %8.2f %9.4f%% %11zu %9.2f%% %7zu%s\n", name.c_str(),
                text.size() / 1024,
                100.0 * static_cast<double>(text.size() - kept.size()) / static_cast<double>(text.size()), mb / best,
                mb / std::max(bestCpu, 1e-9), mb / bestOne,
                100.0 * static_cast<double>(right) / static_cast<double>(kept.size()), kept.size() - right,
                100.0 * static_cast<double>(exact) / static_cast<double>(std::max<std::size_t>(pieces, 1)), refused,
                whole.ok ? "" : "   (whole file refused!)");
  }
}
