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

TEST(ToWindows1252, EveryByteComesBackFromItsCharacter) {
  // The characters of 0x80..0x9F, the five undefined bytes as controls.
  const char16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                             0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                             0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                             0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  for (int b = 1; b < 256; ++b) {
    const char16_t c = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : static_cast<char16_t>(b);
    const Windows1252Text t = ToWindows1252(Utf16ToUtf8(std::u16string(1, c)));
    EXPECT_EQ(t.bytes, std::string(1, static_cast<char>(b))) << "byte " << b;
  }
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
