// The temporary's name: beside the output, ours to recognise, and within the
// system's limit of 255 for one component, never cutting a character.
#include "job/output_file.h"

#include <gtest/gtest.h>

#include <string>

namespace qor {
namespace {

TEST(TemporaryNameForTest, BesideTheOutputAndAlwaysFitting) {
  const std::string n255(255, 'n');
  const std::string enes(127, 'x');
  const std::string ene2 = [] {
    std::string s = "a";
    for (int i = 0; i < 127; ++i) s += "\xC3\xB1";  // "a" and 254 bytes of ñ
    return s;
  }();
  const struct {
    std::string output, temporary;
  } cases[] = {
      {"carta.txt", ".carta.txt.R4nd0m.part"},
      {"dir/sub/carta.txt.qor", "dir/sub/.carta.txt.qor.R4nd0m.part"},
      {"/abs/" + n255, "/abs/." + std::string(242, 'n') + ".R4nd0m.part"},
      // 242 bytes would split an ñ: 241 are kept.
      {ene2, "." + ene2.substr(0, 241) + ".R4nd0m.part"},
      {enes, "." + enes + ".R4nd0m.part"},
  };
  for (const auto& c : cases) {
    const std::string t = TemporaryNameFor(c.output, "R4nd0m");
    EXPECT_EQ(t, c.temporary) << c.output.size();
    EXPECT_LE(t.size() - (t.find_last_of('/') == std::string::npos ? 0 : t.find_last_of('/') + 1), 255u);
  }
}

}  // namespace
}  // namespace qor
