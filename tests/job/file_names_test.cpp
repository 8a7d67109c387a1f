// The decrypted file's name, taken from the encrypted file's.
#include "job/file_names.h"

#include <gtest/gtest.h>

#include <string>

namespace qor {
namespace {

TEST(DecryptedNameForTest, SuffixInAnyLetterCaseIsTakenOff) {
  // Names on Windows are case-insensitive, and files do get renamed.
  EXPECT_EQ(DecryptedNameFor("carta.txt.qor"), "carta.txt");
  EXPECT_EQ(DecryptedNameFor("CARTA.TXT.QOR"), "CARTA.TXT");
  EXPECT_EQ(DecryptedNameFor("fotos/A\xC3\xB1o.Qor"), "fotos/A\xC3\xB1o");
  EXPECT_EQ(DecryptedNameFor("x.qOr.qor"), "x.qOr");
  EXPECT_EQ(DecryptedNameFor("C:\\datos\\informe.QoR"), "C:\\datos\\informe");
}

TEST(DecryptedNameForTest, NoNameWithoutTheSuffixOrBeforeIt) {
  for (const std::string name : {"", "carta.txt", "qor", "xqor", "a.qorx", "a.q0r", "a.QOR ", ".qor", ".QOR",
                                 "fotos/.Qor", "C:\\datos\\.QOR"})
    EXPECT_EQ(DecryptedNameFor(name), "") << '"' << name << '"';
}

}  // namespace
}  // namespace qor
