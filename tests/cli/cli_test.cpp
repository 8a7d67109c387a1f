// qor run as a separate process on temporary files.
#include <poll.h>
#include <pty.h>

#include "tests/cli/qor_process.h"

namespace qor::testing {
namespace {

TEST_F(QorTest, EncryptsByFibonacciByDefaultAndPrintsTheOutputName) {
  const std::string file = Sample("datos.bin", 5000);
  const Outcome o = Qor({"encrypt", "--key", "clave", file});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, file + ".qor\n");
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(ReadBytes(file + ".qor"), EngineOutput(Engine::kFibonacci, ReadBytes(file), "clave"));
}

TEST_F(QorTest, FrequencyMethodWithASpanishKey) {
  // "Hola" codes 16, 87, 78, 54, mixed with "ñ" (0xF1) by turns.
  const std::string hola = dir.File("hola.txt");
  WriteBytes(hola, "Hola");
  const std::string text = dir.File("texto.txt");
  WriteBytes(text, "El año pasado, ¿quién ganó?\r\nÑandú\t~{}[]" + SampleBytes(300));

  // The random bytes need more drops than decryption takes: kept as asked.
  const Outcome o = Qor({"encrypt", "--method", "frequency", "--keep-undecryptable", "--key", "ñ", hola, text});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadBytes(hola + ".qor"), std::string("\x01\x66\x3F\x45", 4));
  EXPECT_EQ(ReadBytes(text + ".qor"), EngineOutput(Engine::kFrequency, ReadBytes(text), "\xF1"));
}

TEST_F(QorTest, OverwritesAndDoesEveryFileInOrder) {
  const std::string a = Sample("año ñ", 100, 1), b = Sample("b.qor", 7, 2), c = Sample("c", 0);
  WriteBytes(a + ".qor", std::string(10000, 'z'));
  const Outcome o = Qor({"encrypt", "-k", "k", a, b, c});

  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, a + ".qor\n" + b + ".qor\n" + c + ".qor\n");
  EXPECT_EQ(ReadBytes(a + ".qor"), EngineOutput(Engine::kFibonacci, ReadBytes(a), "k"));
  EXPECT_EQ(ReadBytes(b + ".qor"), EngineOutput(Engine::kFibonacci, ReadBytes(b), "k"));
  EXPECT_EQ(ReadBytes(c + ".qor"), EngineOutput(Engine::kFibonacci, "", "k"));
}

TEST_F(QorTest, FailedFilesAreNamedAndTheOthersStillDone) {
  const std::string good = Sample("good", 100);
  const std::string missing = dir.File("missing");
  const std::string folderOut = Sample("folder", 10);
  fs::create_directory(folderOut + ".qor");
  const std::string self = Sample("self", 10);
  fs::create_symlink("self", self + ".qor");
  const std::string full = Sample("full", 10);
  fs::create_symlink("/dev/full", full + ".qor");
  const std::string folderIn = dir.File("dir");
  fs::create_directory(folderIn);
  const std::string last = Sample("last", 50);

  const Outcome o = Qor({"encrypt", "--key", "k", good, missing, folderOut, self, full, folderIn, last});

  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, good + ".qor\n" + last + ".qor\n");
  EXPECT_NE(o.err.find(missing + ": could not open it: No such file or directory"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find(folderOut + ": could not create " + folderOut + ".qor: it is a directory"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find(self + ": " + self + ".qor is the input file itself"), std::string::npos) << o.err;
  // A link is never written through, to a device or anywhere else.
  EXPECT_NE(o.err.find(full + ": could not create " + full + ".qor: it is a symbolic link"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find(folderIn + ": not read: Is a directory"), std::string::npos) << o.err;
  EXPECT_EQ(ReadBytes(self), SampleBytes(10));
  EXPECT_FALSE(fs::exists(folderIn + ".qor"));
  EXPECT_EQ(ReadBytes(last + ".qor"), EngineOutput(Engine::kFibonacci, ReadBytes(last), "k"));
}

TEST_F(QorTest, UsageErrorsGiveStatusTwoAndWriteNothing) {
  const std::string file = Sample("f", 10);
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"encrypt", "--key", "k"},
      {"encrypt", "--method", "aes", "--key", "k", file},
      {"encrypt", "--colour", "--key", "k", file},
      {"decipher", file},
      {"encrypt", "--key", "", file},
      {"encrypt", "--key", "12345678", file},
      {"encrypt", "--key", "ñandúes", file + "x"},  // 7 characters: fine, but...
  };
  for (std::size_t i = 0; i + 1 < cases.size(); ++i) {
    const Outcome o = Qor(cases[i]);
    EXPECT_EQ(o.status, 2) << "case " << i << ": " << o.err;
    EXPECT_NE(o.err, "") << "case " << i;
    EXPECT_EQ(o.out, "") << "case " << i;
  }
  // ...a 7-character key of 9 UTF-8 bytes is accepted; only the file is missing.
  EXPECT_EQ(Qor(cases.back()).status, 1);
  EXPECT_FALSE(fs::exists(file + ".qor"));
}

TEST_F(QorTest, KeyCharacterWithoutAWindows1252ByteIsRefused) {
  const std::string file = Sample("f", 10);
  const Outcome o = Qor({"encrypt", "--key", "a中", file});
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("\"中\" has no Windows-1252 byte"), std::string::npos) << o.err;
  EXPECT_FALSE(fs::exists(file + ".qor"));

  EXPECT_EQ(Qor({"encrypt", "--key", "a\xFF", file}).status, 2);  // not UTF-8
}

TEST_F(QorTest, KeyFromOneLineOfStandardInput) {
  const std::string file = Sample("f", 300);
  const std::string expected = EngineOutput(Engine::kFibonacci, ReadBytes(file), "\xD1" "a");

  for (const std::string input : {"Ña\n", "Ña\r\nignored\n", "Ña"}) {
    const Outcome o = Qor({"encrypt", file}, input);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(ReadBytes(file + ".qor"), expected);
    fs::remove(file + ".qor");
  }
  EXPECT_EQ(Qor({"encrypt", file}, "").status, 2);
  EXPECT_EQ(Qor({"encrypt", file}, "\n").status, 2);
  EXPECT_FALSE(fs::exists(file + ".qor"));
}

TEST_F(QorTest, HelpAndVersion) {
  const Outcome help = Qor({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("encrypt"), std::string::npos);
  EXPECT_EQ(Qor({"encrypt", "--help"}).status, 0);

  const Outcome version = Qor({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.out.find("1.0.0.1"), std::string::npos);
}

// --- Typing the key on a terminal -------------------------------------------

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Runs qor on a pseudo-terminal, answering each prompt with the next line.
Outcome QorOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& lines) {
  std::vector<std::string> all = {QOR_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    execv(QOR_PATH, argv.data());
    _exit(127);
  }
  Outcome o;
  if (pid < 0) return o;

  std::size_t answered = 0;
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 10000) <= 0) break;
    char buffer[256];
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) break;  // the child has gone
    o.out.append(buffer, static_cast<std::size_t>(n));
    const std::size_t prompts = Count(o.out, "Key: ") + Count(o.out, "Key again: ");
    while (answered < prompts && answered < lines.size()) {
      const std::string line = lines[answered++] + "\n";
      if (write(master, line.data(), line.size()) < 0) break;
    }
  }
  close(master);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return o;
}

TEST_F(QorTest, KeyTypedTwiceWithoutEchoOnATerminal) {
  const std::string file = Sample("f", 200);
  const Outcome o = QorOnTerminal({"encrypt", file}, {"secreto", "secreto"});

  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(Count(o.out, "Key: "), 1u) << o.out;
  EXPECT_EQ(Count(o.out, "Key again: "), 1u) << o.out;
  EXPECT_EQ(o.out.find("secreto"), std::string::npos) << "the key was echoed: " << o.out;
  EXPECT_EQ(ReadBytes(file + ".qor"), EngineOutput(Engine::kFibonacci, ReadBytes(file), "secreto"));
}

TEST_F(QorTest, DifferentKeysTypedOnATerminalAreRefused) {
  const std::string file = Sample("f", 200);
  const Outcome o = QorOnTerminal({"encrypt", file}, {"secreto", "secrata"});

  EXPECT_EQ(o.status, 2) << o.out;
  EXPECT_NE(o.out.find("do not match"), std::string::npos) << o.out;
  EXPECT_FALSE(fs::exists(file + ".qor"));
}

TEST_F(QorTest, DecryptAndVerifyAskForTheKeyOnceOnATerminal) {
  // The key was chosen when encrypting; there is nothing to confirm. A second
  // answer is at hand should a second prompt come.
  const std::string file = Sample("f", 200);
  ASSERT_EQ(Qor({"encrypt", "-k", "secreto", file}).status, 0);

  Outcome o = QorOnTerminal({"verify", file}, {"secreto", "secreto"});
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(Count(o.out, "Key: "), 1u) << o.out;
  EXPECT_EQ(Count(o.out, "Key again: "), 0u) << o.out;
  EXPECT_NE(o.out.find("decrypts back to it"), std::string::npos) << o.out;

  fs::remove(file);
  o = QorOnTerminal({"decrypt", file + ".qor"}, {"secreto", "secreto"});
  EXPECT_EQ(o.status, 0) << o.out;
  EXPECT_EQ(Count(o.out, "Key: "), 1u) << o.out;
  EXPECT_EQ(Count(o.out, "Key again: "), 0u) << o.out;
  EXPECT_EQ(o.out.find("secreto"), std::string::npos) << "the key was echoed: " << o.out;
  EXPECT_EQ(ReadBytes(file), SampleBytes(200));
}

}  // namespace
}  // namespace qor::testing
