#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

namespace qor::cli {
namespace {

std::string Contents(std::FILE* f) {
  std::fflush(f);
  std::rewind(f);
  std::string text;
  for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
  std::fseek(f, 0, SEEK_END);
  return text;
}

TEST(ProgressLine, ShowsOnlyAfterASecondAndClearsItself) {
  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  {
    ProgressLine line("big.bin", true, sink);
    line.Update(1, 4);
    EXPECT_EQ(Contents(sink), "");  // quick work shows nothing

    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    line.Update(3 << 20, 4 << 20);
    EXPECT_EQ(Contents(sink), "\rbig.bin: 75% of 4 MiB");
  }
  // Gone again, so that what follows starts on a clean line.
  EXPECT_EQ(Contents(sink), "\rbig.bin: 75% of 4 MiB\r" + std::string(21, ' ') + "\r");
  std::fclose(sink);
}

TEST(ProgressLine, DisabledDrawsNothing) {
  std::FILE* sink = std::tmpfile();
  ASSERT_NE(sink, nullptr);
  {
    ProgressLine line("x", false, sink);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    line.Update(1, 2);
  }
  EXPECT_EQ(Contents(sink), "");
  std::fclose(sink);
}

}  // namespace
}  // namespace qor::cli
