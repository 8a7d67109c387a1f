#include "job/text_encoding.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

TEST(ToWindows1252, SpanishLettersAndTheEuroGiveTheirBytes) {
  const Windows1252Text t = ToWindows1252("añÑáé¿¡ü€");
  EXPECT_EQ(t.bytes, "a\xF1\xD1\xE1\xE9\xBF\xA1\xFC\x80");
  EXPECT_EQ(t.unmapped, 0u);
  EXPECT_FALSE(t.invalidUtf8);
}

TEST(ToWindows1252, LatinOneAndTheHighPunctuationKeepTheirBytes) {
  for (int b = 1; b < 256; ++b) {
    if (b >= 0x80 && b < 0xA0) continue;
    const std::string utf8 = Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(b)));
    EXPECT_EQ(ToWindows1252(utf8).bytes, std::string(1, static_cast<char>(b))) << "byte " << b;
  }
  EXPECT_EQ(ToWindows1252("‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ").bytes,
            "\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E"
            "\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F");
}

TEST(ToWindows1252, CharactersWithoutAByteBecomeQuestionMarks) {
  const Windows1252Text t = ToWindows1252("aā中😀b");
  EXPECT_EQ(t.bytes, "a???b");
  EXPECT_EQ(t.unmapped, 3u);
  EXPECT_EQ(t.firstUnmapped, 1u);
  EXPECT_EQ(t.firstUnmappedLength, 2u);
  EXPECT_FALSE(t.invalidUtf8);
}

TEST(ToWindows1252, BytesThatAreNotUtf8AreMarked) {
  for (const std::string bad : {"\xF1", "\xC0\x80", "\xED\xA0\x80", "\xE2\x82", "\xF8\x88\x80\x80\x80"}) {
    const Windows1252Text t = ToWindows1252("x" + bad);
    EXPECT_TRUE(t.invalidUtf8) << t.bytes;
    EXPECT_EQ(t.bytes.substr(0, 2), "x?");
    EXPECT_EQ(t.bytes.find_first_not_of("x?"), std::string::npos);
  }
}

TEST(Utf16, RoundTripsEveryPlane) {
  const std::string text = "año 中 😀 €";
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide, u"año 中 😀 €");
  EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(Utf16, BrokenInputGivesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xEF\xBF\xBD" "b");
}

}  // namespace
}  // namespace qor
