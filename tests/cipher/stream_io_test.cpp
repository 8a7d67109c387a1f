#include "cipher/stream_io.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace qor {
namespace {

std::FILE* FileWith(const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fflush(f);
  std::rewind(f);
  return f;
}

TEST(StreamIoTest, SizeOfAStream) {
  std::FILE* f = FileWith(std::vector<std::uint8_t>(12345, 7));
  EXPECT_EQ(StreamSize(f), 12345);
  std::fclose(f);
}

TEST(StreamIoTest, ReadBlockStopsAtTheCountAndFillsWhatIsMissing) {
  std::FILE* f = FileWith({1, 2, 3, 4, 5});
  std::uint8_t buf[8] = {};
  EXPECT_EQ(ReadBlock(f, buf, 5), 5u);
  EXPECT_FALSE(std::feof(f)) << "asked for exactly what was there";
  EXPECT_EQ(buf[4], 5);
  // The file is shorter than a reader expected: EOF bytes read as 0xFF.
  EXPECT_EQ(ReadBlock(f, buf, 3), 0u);
  EXPECT_TRUE(std::feof(f));
  EXPECT_EQ(buf[0], 0xFF);
  EXPECT_EQ(buf[2], 0xFF);
  std::fclose(f);
}

// Writes `blocks` blocks whose bytes count up, through a writer sized for
// `expected` bytes, and reads the file back.
std::vector<std::uint8_t> WriteThrough(std::size_t blockSize, int blocks, std::int64_t expected) {
  std::FILE* f = std::tmpfile();
  {
    BlockWriter writer(f, blockSize, expected);
    std::uint8_t next = 0;
    for (int b = 0; b < blocks; ++b) {
      std::uint8_t* buf = writer.Buffer();
      // Odd blocks are written short, to keep counts apart from sizes.
      const std::size_t n = b % 2 ? blockSize / 2 : blockSize;
      for (std::size_t i = 0; i < n; ++i) buf[i] = next++;
      writer.Write(n);
    }
  }
  std::vector<std::uint8_t> back(static_cast<std::size_t>(std::ftell(f)));
  std::rewind(f);
  EXPECT_EQ(std::fread(back.data(), 1, back.size(), f), back.size());
  std::fclose(f);
  return back;
}

TEST(BlockWriterTest, KeepsBlocksInOrderOnEitherPath) {
  for (std::int64_t expected : {std::int64_t{10}, std::int64_t{1} << 30}) {  // same thread, then worker
    const auto bytes = WriteThrough(1000, 37, expected);
    ASSERT_EQ(bytes.size(), 19u * 1000 + 18u * 500) << expected;
    for (std::size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], static_cast<std::uint8_t>(i)) << i;
  }
}

TEST(BlockWriterTest, WriteFailureShowsOnTheStream) {
  std::FILE* full = std::fopen("/dev/full", "wb");
  if (!full) GTEST_SKIP() << "no /dev/full";
  {
    BlockWriter writer(full, 1 << 16, std::int64_t{1} << 30);
    for (int b = 0; b < 8; ++b) {
      std::fill_n(writer.Buffer(), 1 << 16, 0xAB);
      writer.Write(1 << 16);
    }
  }
  EXPECT_TRUE(std::ferror(full));
  std::fclose(full);
}

}  // namespace
}  // namespace qor
