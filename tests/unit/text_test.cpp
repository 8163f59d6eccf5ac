#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

TEST(Utf16, RoundTripsAndReplacesUnpairedSurrogates) {
    EXPECT_EQ(to_utf16("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"), u"a\u00E9\u20AC\U0001F600");
    EXPECT_EQ(from_utf16(u"a\u00E9\u20AC\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(from_utf16(std::u16string{u'a', 0xD800, u'b'}),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(from_utf16(std::u16string{0xDC00, 0xD83D}), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(to_utf16("x\xFFy"), u"x\uFFFDy");
}

TEST(DecodeUtf8, ReplacesEachMaximalInvalidSubpart) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "abc"},
        {"\xC3\xA9", "\xC3\xA9"},
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"\x80", "\xEF\xBF\xBD"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // overlong lead is invalid on its own
        {"\xE0\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // E0 needs A0..BF next
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // surrogate
        {"\xF0\x9F\x98", "\xEF\xBF\xBD"},                          // truncated: one replacement
        {"\xF0\x9F\x98x", "\xEF\xBF\xBDx"},
        {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // past U+10FFFF
        {"\xFF", "\xEF\xBF\xBD"},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(decode_utf8_lossy(input), expected);
}

TEST(TrimWhiteSpace, RemovesUnicodeWhiteSpaceAtBothEnds) {
    EXPECT_EQ(trim_white_space("\t\x0B\x0C \xC2\x85x y\xE2\x80\x8A\xE2\x80\xAF\xE2\x81\x9F\xE1\x9A\x80"), "x y");
    EXPECT_EQ(trim_white_space("\xE2\x80\x8Bx"), "\xE2\x80\x8Bx");  // zero-width space is not White_Space
    EXPECT_EQ(trim_white_space(" \xC2\xA0 "), "");
    EXPECT_EQ(trim_leading_white_space("  Fortnite  "), "Fortnite  ");
}

}  // namespace
}  // namespace vantrel
