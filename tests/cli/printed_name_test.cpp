// Names as printed: unchanged when they print as themselves, else quoted and
// escaped so that no byte reaches the terminal as a control.
#include "cli/printed_name.h"

#include <gtest/gtest.h>

#include <string>

namespace qor::cli {
namespace {

TEST(PrintedNameTest, ControlsAndInvalidUtf8AreEscapedTheRestKept) {
  const struct {
    std::string name, printed;
  } cases[] = {
      {"carta.txt", "carta.txt"},
      {"A\xC3\xB1o \xE2\x82\xAC \xF0\x9F\x94\x91", "A\xC3\xB1o \xE2\x82\xAC \xF0\x9F\x94\x91"},  // ñ, €, a 4-byte one
      {"it's", "it's"},                                         // a quote alone needs nothing
      {"a\x1B[2Jb", "'a'$'\\E''[2Jb'"},                          // an escape sequence
      {"l\xC3\xADnea\n", "'l\xC3\xADnea'$'\\n'"},                // a newline at the end
      {"\t", "$'\\t'"},
      {"x\x7F", "'x'$'\\177'"},                                  // DEL
      {"x\xC2\x9B", "'x'$'\\302\\233'"},                         // C1 CSI, valid UTF-8 but a control
      {"caf\xE9", "'caf'$'\\351'"},                              // Windows-1252, not UTF-8
      {"\xC0\xAF", "$'\\300\\257'"},                             // overlong
      {"\xED\xA0\x80", "$'\\355\\240\\200'"},                    // a surrogate
      {"\xE2\x82", "$'\\342\\202'"},                             // cut short
      {"it's\n", "'it'$'\\'''s'$'\\n'"},                         // a quote inside quoting
  };
  for (const auto& c : cases) EXPECT_EQ(PrintedName(c.name), c.printed) << c.printed;
}

}  // namespace
}  // namespace qor::cli
