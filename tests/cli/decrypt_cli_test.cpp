// qor decrypt, qor verify and qor encrypt --verify, run as processes.
#include "tests/cli/qor_process.h"

namespace qor::testing {
namespace {

// Windows-1252 Spanish: the accents and ¿ are dropped by the frequency method.
const std::string kSpanish =
    "La canci\xF3n del a\xF1o pasado se oy\xF3 en toda la ciudad, de la ma\xF1" "ana a la noche.\r\n"
    "\xBFQui\xE9n la escribi\xF3? Nadie lo sabe, pero todos la cantan.\r\n";
const std::string kSpanishKept =
    "La cancin del a\xF1o pasado se oy en toda la ciudad, de la ma\xF1" "ana a la noche.\r\n"
    "Quin la escribi? Nadie lo sabe, pero todos la cantan.\r\n";

TEST_F(QorTest, DecryptGivesFibonacciFilesBackAndSaysWhichMethod) {
  const std::string file = Sample("datos.bin", 7001);
  ASSERT_EQ(Qor({"encrypt", "-k", "clave", file}).status, 0);
  const std::string original = ReadBytes(file);
  fs::remove(file);

  const Outcome o = Qor({"decrypt", "-k", "clave", file + ".qor"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, file + " (fibonacci)\n");
  EXPECT_EQ(ReadBytes(file), original);
}

TEST_F(QorTest, AutoFallsBackToFrequencyAndCountsTheDrops) {
  const std::string file = dir.File("carta.txt");
  WriteBytes(file, kSpanish);
  ASSERT_EQ(Qor({"encrypt", "-m", "frequency", "-k", "Clave77", file}).status, 0);
  const std::string out = dir.File("vuelta.txt");

  const Outcome o = Qor({"decrypt", "-k", "Clave77", "-o", out, file + ".qor"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, out + " (frequency, 5 places where bytes had been dropped)\n");
  EXPECT_EQ(ReadBytes(out), kSpanishKept);
}

TEST_F(QorTest, ExistingOutputIsKeptUnlessForced) {
  const std::string file = Sample("f", 300);
  ASSERT_EQ(Qor({"encrypt", "-k", "k", file}).status, 0);
  WriteBytes(file, "mine");

  Outcome o = Qor({"decrypt", "-k", "k", file + ".qor"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find(file + " exists; not replaced (--force replaces it)"), std::string::npos) << o.err;
  EXPECT_EQ(ReadBytes(file), "mine");

  o = Qor({"decrypt", "-k", "k", "--force", file + ".qor"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadBytes(file), SampleBytes(300));
}

TEST_F(QorTest, WrongKeyOrForeignFileLeavesNothingBehind) {
  const std::string file = Sample("f", 3000);
  ASSERT_EQ(Qor({"encrypt", "-k", "secreto", file}).status, 0);
  WriteBytes(file, "mine");
  const std::string foreign = dir.File("foto.jpg.qor");
  WriteBytes(foreign, SampleBytes(4000, 9));

  const Outcome o = Qor({"decrypt", "-k", "secretO", "--force", file + ".qor", foreign});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_NE(o.err.find(file + ".qor: does not decrypt with this key"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find(foreign + ": does not decrypt with this key"), std::string::npos) << o.err;
  // Even forced, a failed decryption leaves the old file as it was.
  EXPECT_EQ(ReadBytes(file), "mine");
  EXPECT_FALSE(fs::exists(dir.File("foto.jpg")));
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
}

TEST_F(QorTest, DecryptNamesAndUsage) {
  const std::string plain = Sample("sin-sufijo", 10);
  Outcome o = Qor({"decrypt", "-k", "k", plain});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("does not end in .qor; give the output's name with -o"), std::string::npos) << o.err;

  o = Qor({"decrypt", "-k", "k", "-o", dir.File("x"), dir.File("a.qor"), dir.File("b.qor")});
  EXPECT_EQ(o.status, 2);
  o = Qor({"decrypt", "-k", "k", "-m", "otro", dir.File("a.qor")});
  EXPECT_EQ(o.status, 2);

  // The empty file and the single byte 0x00 encrypt alike.
  const std::string empty = Sample("vacio", 0);
  ASSERT_EQ(Qor({"encrypt", "-k", "k", empty}).status, 0);
  fs::remove(empty);
  o = Qor({"decrypt", "-k", "k", empty + ".qor"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadBytes(empty), std::string(1, '\0'));
  EXPECT_NE(o.err.find("an empty file gives the same two bytes"), std::string::npos) << o.err;
}

TEST_F(QorTest, DecryptTakesOffTheSuffixInAnyLetterCase) {
  const std::string a = Sample("Informe.TXT", 500, 1), b = Sample("foto", 300, 2);
  ASSERT_EQ(Qor({"encrypt", "-k", "k", a, b}).status, 0);
  fs::rename(a + ".qor", a + ".QOR");
  fs::rename(b + ".qor", b + ".Qor");
  fs::remove(a);
  fs::remove(b);

  const Outcome o = Qor({"decrypt", "-k", "k", a + ".QOR", b + ".Qor"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, a + " (fibonacci)\n" + b + " (fibonacci)\n");
  EXPECT_EQ(ReadBytes(a), SampleBytes(500, 1));
  EXPECT_EQ(ReadBytes(b), SampleBytes(300, 2));
}

TEST_F(QorTest, VerifyPassesOnlyWhenTheFileComesBack) {
  const std::string bin = Sample("a.bin", 5000);
  const std::string text = dir.File("b.txt");
  WriteBytes(text, kSpanish);
  ASSERT_EQ(Qor({"encrypt", "-k", "k7", bin}).status, 0);
  ASSERT_EQ(Qor({"encrypt", "-k", "k7", "-m", "frequency", text}).status, 0);

  Outcome o = Qor({"verify", "-k", "k7", bin, text});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, bin + ": " + bin + ".qor decrypts back to it (fibonacci: byte for byte)\n" + text + ": " + text +
                       ".qor decrypts back to it (frequency: 5 dropped bytes not given back, the other " +
                       std::to_string(kSpanishKept.size()) + " exact)\n");

  // A changed original, a wrong key, a missing FILE.qor: each fails.
  std::string changed = ReadBytes(bin);
  changed[4321] ^= 1;
  WriteBytes(bin, changed);
  o = Qor({"verify", "-k", "k7", bin});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("does not decrypt back to " + bin + " (fibonacci; first byte not given back at offset 4321)"),
            std::string::npos)
      << o.err;
  o = Qor({"verify", "-k", "k8", text});
  EXPECT_EQ(o.status, 1);
  o = Qor({"verify", "-k", "k7", Sample("solo", 5)});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("solo.qor: could not open it"), std::string::npos) << o.err;
}

TEST_F(QorTest, EncryptVerifyChecksEachFileRightAway) {
  const std::string a = Sample("a", 999), b = dir.File("b.txt");
  WriteBytes(b, kSpanish);
  Outcome o = Qor({"encrypt", "--verify", "-k", "k", a});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, a + ".qor\n" + a + ": " + a + ".qor decrypts back to it (fibonacci: byte for byte)\n");
  o = Qor({"encrypt", "--verify", "-m", "frequency", "-k", "k", b});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("(frequency: 5 dropped bytes not given back"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace qor::testing
