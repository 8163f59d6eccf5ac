#include "win/start_origin.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

std::vector<std::u16string> split(std::u16string_view line) { return split_command_line(line); }

TEST(SplitCommandLine, FollowsThePlatformRules) {
    const struct {
        std::u16string line;
        std::vector<std::u16string> arguments;
    } cases[] = {
        {u"", {u""}},
        {u"prog", {u"prog"}},
        {u"\"C:\\Program Files\\v.exe\" a", {u"C:\\Program Files\\v.exe", u"a"}},
        {u"C:\\a\\\"b c\"\\d e", {u"C:\\a\\b c\\d", u"e"}},  // program path: backslashes literal
        {u"p a\tb  \t c", {u"p", u"a", u"b", u"c"}},
        {u"p \"a b\" c", {u"p", u"a b", u"c"}},
        {u"p \"a \"\"quoted\"\" b\"", {u"p", u"a \"quoted\" b"}},
        {u"p a\\\\\"b c\"", {u"p", u"a\\b c"}},  // 2 backslashes + quote: one backslash, quote toggles
        {u"p a\\\\\\\"b", {u"p", u"a\\\"b"}},    // 3 backslashes + quote: one backslash, literal quote
        {u"p a\\b\\\\c", {u"p", u"a\\b\\\\c"}},  // backslashes not before a quote are literal
        {u"p a\\", {u"p", u"a\\"}},
        {u"p \"\"", {u"p", u""}},
        {u"p \"unterminated arg", {u"p", u"unterminated arg"}},
        {u"p   ", {u"p"}},
        {u"p\ta", {u"p", u"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
        EXPECT_EQ(split(c.line), c.arguments);
    }
}

TEST(StartOrigin, SchemeArgumentAnywhereAfterTheProgramMarksASchemeStart) {
    for (const char16_t* line : {u"v.exe \"zendry-chests://open\"", u"v.exe zendry-chests:", u"v.exe a zendry-chests:x",
                                 u"v.exe a b \"zendry-chests:x y\"", u"\"C:\\v.exe\" zendry-chests:"}) {
        SCOPED_TRACE(std::string(line, line + std::char_traits<char16_t>::length(line)));
        EXPECT_TRUE(started_through_scheme(line));
    }
}

TEST(StartOrigin, EverythingElseIsADirectStart) {
    for (const char16_t* line :
         {u"", u"v.exe", u"v.exe ZENDRY-CHESTS:x", u"v.exe zendry-chests", u"v.exe zendry-chest:",
          u"v.exe \" zendry-chests:\"", u"zendry-chests:v.exe", u"\"zendry-chests:x\"", u"v.exe xzendry-chests:"}) {
        SCOPED_TRACE(std::string(line, line + std::char_traits<char16_t>::length(line)));
        EXPECT_FALSE(started_through_scheme(line));
    }
}

}  // namespace
}  // namespace vantrel
