// The decryption program's runs over real files, and the message each way
// of ending gives: its icon, what it names, and what it left on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/decrypt_messages.h"
#include "app/decrypt_run.h"
#include "tests/support/test_files.h"

namespace qor {
namespace {

using testing::Engine;
using testing::EngineOutput;
using testing::ReadBytes;
using testing::WriteBytes;

// Text with ñ (kept by both methods) and é (dropped by frequency).
const std::string kOriginal = "El a\xf1o pasado, caf\xe9 con le\xf1" "a.\r\nOtra l\xednea sin m\xe1s.\r\n";
const std::string kKey = "cl\xf1ve";
// An accent every few letters: more drops than frequency decryption takes.
std::string DenseText() {
  std::string text;
  for (int i = 0; i < 4; ++i) text += "\xc9l est\xe1 aqu\xed, tambi\xe9n all\xed: d\xed" "a y canci\xf3n, acci\xf3n s\xed. ";
  return text;
}

struct Case {
  const char* name;
  std::function<void(RunRequest&, const testing::TempDir&)> prepare;
  Progress progress;
  BoxIcon icon;
  std::vector<std::string> says;  // fragments of the text, UTF-8
  bool outputWritten;             // decrypting: the output holds the decrypted file
};

TEST(DecryptRuns, EachEndGivesItsMessageAndLeavesOnlyWhatItSays) {
  auto decrypt = [](const char* encrypted, MethodChoice choice) {
    return [=](RunRequest& r, const testing::TempDir& dir) {
      r.encrypted = dir.File(encrypted);
      r.other = dir.File("salida.txt");
      r.choice = choice;
    };
  };
  auto verify = [](const char* encrypted, MethodChoice choice) {
    return [=](RunRequest& r, const testing::TempDir& dir) {
      r.kind = RunKind::kVerify;
      r.encrypted = dir.File(encrypted);
      r.other = dir.File("carta.txt");
      r.choice = choice;
    };
  };
  const std::vector<Case> cases = {
      {"Fibonacci, chosen automatically", decrypt("fib.qor", kAutomatic), {}, BoxIcon::kInformation,
       {"Descifrado: ", "salida.txt", "Fibonacci (elegido autom\u00e1ticamente)", "byte a byte"}, true},
      {"frequency, chosen by the user", decrypt("frq.qor", Method::kFrequency), {}, BoxIcon::kInformation,
       {"normalizaci\u00f3n de frecuencia.", "faltaban bytes"}, true},
      {"a wrong key", [&](RunRequest& r, const testing::TempDir& dir) {
         decrypt("fib.qor", kAutomatic)(r, dir);
         r.key = CipherKey("otra");
       }, {}, BoxIcon::kError, {"No se puede descifrar", "fib.qor", "No se ha escrito nada."}, false},
      {"too many drops", [&](RunRequest& r, const testing::TempDir& dir) {
         decrypt("frq.qor", kAutomatic)(r, dir);
         WriteBytes(r.encrypted, EngineOutput(Engine::kFrequency, DenseText(), kKey));
       }, {}, BoxIcon::kError, {"se lee texto", "demasiados lugares", "No se ha escrito nada."}, false},
      {"verify, too many drops", [&](RunRequest& r, const testing::TempDir& dir) {
         verify("frq.qor", Method::kFrequency)(r, dir);
         WriteBytes(r.encrypted, EngineOutput(Engine::kFrequency, DenseText(), kKey));
       }, {}, BoxIcon::kError, {"se lee texto", "no se puede recuperar"}, false},
      {"a wrong method", decrypt("frq.qor", Method::kFibonacci), {}, BoxIcon::kError,
       {"por el m\u00e9todo Fibonacci", "con ese m\u00e9todo"}, false},
      {"an existing output", [&](RunRequest& r, const testing::TempDir& dir) {
         decrypt("fib.qor", kAutomatic)(r, dir);
         WriteBytes(r.other, "old");
       }, {}, BoxIcon::kQuestion, {"salida.txt ya existe.", "\u00bfDesea reemplazarlo?"}, false},
      {"an existing output the user lets go", [&](RunRequest& r, const testing::TempDir& dir) {
         decrypt("fib.qor", kAutomatic)(r, dir);
         WriteBytes(r.other, "old");
         r.replace = true;
       }, {}, BoxIcon::kInformation, {"Descifrado: "}, true},
      {"a missing input", decrypt("missing.qor", kAutomatic), {}, BoxIcon::kError,
       {"No se puede abrir ", "missing.qor:\n<the system's reason>", "No se ha escrito nada."}, false},
      {"stopped", decrypt("fib.qor", kAutomatic), [](std::int64_t, std::int64_t) { return false; },
       BoxIcon::kInformation, {"Descifrado cancelado. No se ha escrito nada."}, false},
      {"verify Fibonacci", verify("fib.qor", kAutomatic), {}, BoxIcon::kInformation,
       {"Verificaci\u00f3n correcta", "carta.txt", "byte a byte"}, false},
      {"verify frequency, with drops", verify("frq.qor", Method::kFrequency), {}, BoxIcon::kWarning,
       {"Verificaci\u00f3n correcta", "3 bytes del original no vuelven", "no borre el original"}, false},
      {"verify against another original", [&](RunRequest& r, const testing::TempDir& dir) {
         verify("fib.qor", kAutomatic)(r, dir);
         std::string changed = kOriginal;
         changed[9] ^= 1;
         WriteBytes(r.other, changed);
       }, {}, BoxIcon::kWarning, {"no se descifra en", "posici\u00f3n 9 del original", "No borre el original."}, false},
      {"a FIFO as the encrypted file", [&](RunRequest& r, const testing::TempDir& dir) {
         decrypt("fib.qor", kAutomatic)(r, dir);
         std::filesystem::remove(r.encrypted);
         ASSERT_EQ(mkfifo(r.encrypted.c_str(), 0600), 0);
       }, {}, BoxIcon::kError, {"No se puede abrir ", "fib.qor:\nno es un archivo normal", "No se ha escrito nada."},
       false},
      {"a /proc file as the encrypted file", [&](RunRequest& r, const testing::TempDir& dir) {
         decrypt("fib.qor", kAutomatic)(r, dir);
         std::filesystem::remove(r.encrypted);
         std::filesystem::create_symlink("/proc/version", r.encrypted);
       }, {}, BoxIcon::kError, {"No se puede leer ", "el archivo cambi\u00f3 mientras se le\u00eda"}, false},
      {"verify a /proc original against an empty file's encryption", [&](RunRequest& r, const testing::TempDir& dir) {
         verify("fib.qor", kAutomatic)(r, dir);
         WriteBytes(r.encrypted, EngineOutput(Engine::kFibonacci, "", kKey));
         std::filesystem::remove(r.other);
         std::filesystem::create_symlink("/proc/version", r.other);
       }, {}, BoxIcon::kWarning, {"no se descifra en", "No borre el original."}, false},
      {"verify with a wrong key", [&](RunRequest& r, const testing::TempDir& dir) {
         verify("fib.qor", kAutomatic)(r, dir);
         r.key = CipherKey("otra");
       }, {}, BoxIcon::kError, {"No se puede descifrar", "con esta clave."}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempDir dir;
    WriteBytes(dir.File("carta.txt"), kOriginal);
    WriteBytes(dir.File("fib.qor"), EngineOutput(Engine::kFibonacci, kOriginal, kKey));
    WriteBytes(dir.File("frq.qor"), EngineOutput(Engine::kFrequency, kOriginal, kKey));
    RunRequest request;
    request.key = CipherKey(kKey);
    c.prepare(request, dir);
    const std::string before = std::filesystem::exists(request.other) ? ReadBytes(request.other) : "";

    const RunOutcome outcome = ExecuteRun(request, c.progress);
    const BoxMessage message = OutcomeMessage(outcome, "<the system's reason>");
    EXPECT_EQ(message.icon, c.icon) << message.text;
    for (const std::string& fragment : c.says) EXPECT_NE(message.text.find(fragment), std::string::npos) << message.text;
    EXPECT_EQ(outcome.stopped(), c.progress != nullptr);

    if (request.kind == RunKind::kDecrypt && c.outputWritten) {
      const std::string expected =
          c.name == std::string("frequency, chosen by the user") ? "El a\xf1o pasado, caf con le\xf1" "a.\r\nOtra lnea sin ms.\r\n"
                                                                 : kOriginal;
      EXPECT_EQ(ReadBytes(request.other), expected);
    } else {
      // Nothing new beside the three files; a file that was there is untouched.
      EXPECT_EQ(std::filesystem::exists(request.other) ? ReadBytes(request.other) : "", before);
      std::size_t files = 0;
      for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
      EXPECT_EQ(files, 3u + (before.empty() ? 0u : 1u) - (request.other == dir.File("carta.txt") ? 1u : 0u));
    }
  }
}

TEST(DecryptRuns, RefusalsAndTheHelpSayWhatToDo) {
  EXPECT_NE(NoEncryptedFileMessage().text.find("\"Examinar...\""), std::string::npos);
  EXPECT_NE(NoOutputNameMessage().text.find("\"Guardar como...\""), std::string::npos);
  EXPECT_NE(NoKeyMessage().text.find("de 1 a 7"), std::string::npos);
  for (const BoxMessage& m : {NoEncryptedFileMessage(), NoOutputNameMessage(), NoKeyMessage()})
    EXPECT_EQ(m.icon, BoxIcon::kWarning);
  // What the frequency method cannot give back, in the help.
  EXPECT_NE(std::string(kDecryptHelp).find("No puede devolver los bytes que quit\u00f3"), std::string::npos);
}

}  // namespace
}  // namespace qor
