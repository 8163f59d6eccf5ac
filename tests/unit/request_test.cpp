#include "server/binding.h"
#include "server/request.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace vantrel {
namespace {

struct ParseCase {
    const char* name;
    std::string head;
    std::string method, route, query;
    std::optional<std::string> origin;
};

TEST(ParseRequest, SplitsRequestLineAndFindsOrigin) {
    const ParseCase cases[] = {
        {"plain", "GET /events?key=q HTTP/1.1\r\nHost: x\r\n\r\n", "GET", "/events", "key=q", {}},
        {"origin", "GET / HTTP/1.1\r\nOrigin: http://localhost:3000\r\n\r\n", "GET", "/", "", "http://localhost:3000"},
        {"lower-case name", "GET / HTTP/1.1\r\norigin:http://a\r\n\r\n", "GET", "/", "", "http://a"},
        {"capital name, padded value", "GET / HTTP/1.1\r\nORIGIN: \t http://a \t\r\n\r\n", "GET", "/", "", "http://a"},
        {"unicode space trimmed", "GET / HTTP/1.1\r\nOrigin:\xC2\xA0\xE3\x80\x80http://a\xE2\x80\xA8\r\n\r\n", "GET",
         "/", "", "http://a"},
        {"first of two origins", "GET / HTTP/1.1\r\nOrigin: http://a\r\nOrigin: http://b\r\n\r\n", "GET", "/", "",
         "http://a"},
        {"name then space is no origin", "GET / HTTP/1.1\r\nOrigin : http://a\r\n\r\n", "GET", "/", "", {}},
        {"longer name is no origin", "GET / HTTP/1.1\r\nX-Origin: http://a\r\n\r\n", "GET", "/", "", {}},
        {"empty value is present", "GET / HTTP/1.1\r\nOrigin:\r\n\r\n", "GET", "/", "", ""},
        // A body is not the head: a form post without Origin must not pass as the site.
        {"origin in the body is ignored",
         "POST /uninstall HTTP/1.1\r\n\r\nOrigin: http://a\r\n",
         "POST",
         "/uninstall",
         "",
         {}},
        {"origin before the body counts", "GET / HTTP/1.1\r\nOrigin: http://a\r\n\r\nOrigin: http://b", "GET", "/", "",
         "http://a"},
        {"bare LF does not end a line", "GET / HTTP/1.1\nOrigin: http://a\r\n\r\n", "GET", "/", "", {}},
        {"two spaces give an empty path", "GET  / HTTP/1.1\r\n\r\n", "GET", "", "", {}},
        {"no version", "GET /x\r\n\r\n", "GET", "/x", "", {}},
        {"query split at first ?", "GET /a?b?c HTTP/1.1\r\n\r\n", "GET", "/a", "b?c", {}},
        {"nothing decoded", "GET /%65vents?a+b HTTP/1.1\r\n\r\n", "GET", "/%65vents", "a+b", {}},
        {"invalid UTF-8 replaced per subpart",
         "G\xFF\xE0\x80T /\xF0\x9F\x98 x\r\n\r\n",
         "G\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDT",
         "/\xEF\xBF\xBD",
         "",
         {}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<Request> request = parse_request(c.head);
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->method, c.method);
        EXPECT_EQ(request->route, c.route);
        EXPECT_EQ(request->query, c.query);
        EXPECT_EQ(request->origin, c.origin);
    }
}

// Every prefix, as a read could leave it: no test waits out a time-out.
TEST(HeadLength, CompleteExactlyAtTheBlankLineOrTheLimit) {
    for (const std::string head : {"GET / HTTP/1.1\r\n\r\n", "OPTIONS /x HTTP/1.1\r\nOrigin: http://a\r\n\r\nbody",
                                   "GET / HTTP/1.1\n\r\n\r\n", "\r\n\r\n"}) {
        const std::size_t end = head.find("\r\n\r\n") + 4;
        for (std::size_t n = 0; n <= head.size(); ++n) {
            SCOPED_TRACE(head.substr(0, n));
            if (n < end)
                EXPECT_EQ(head_length(head.substr(0, n)), std::nullopt);
            else
                EXPECT_EQ(head_length(head.substr(0, n)), end);
        }
    }
    const std::string bare_line_feeds = "GET / HTTP/1.1\n\n" + std::string(HEAD_LIMIT, 'x');
    for (std::size_t n = 0; n <= bare_line_feeds.size(); ++n) {
        std::optional<std::size_t> expected;
        if (n >= HEAD_LIMIT) expected = n;  // parsed as it is, all of it
        EXPECT_EQ(head_length(bare_line_feeds.substr(0, n)), expected) << n;
    }
}

TEST(ParseRequest, RequestLineWithoutPathIsRejected) {
    for (const char* head : {"GET\r\n\r\n", "\r\n\r\n", "", "GET\r\nOrigin: http://a\r\n\r\n"}) {
        SCOPED_TRACE(head);
        EXPECT_FALSE(parse_request(head).has_value());
    }
}

struct BindingCase {
    std::string query;
    std::uint64_t hold_ms;
    std::uint32_t key_code;
    std::uint16_t button_mask;
};

TEST(ParseBinding, AppliesKnownParametersAndIgnoresTheRest) {
    constexpr std::uint64_t HOLD = DEFAULT_HOLD_MS;
    constexpr std::uint32_t KEY = DEFAULT_KEY_CODE;
    constexpr std::uint16_t BUTTON = DEFAULT_BUTTON_MASK;
    const std::string max64 = std::to_string(std::numeric_limits<std::uint64_t>::max());
    const BindingCase cases[] = {
        {"", 400, 0x45, 0x4000},  // the defaults, spelled out
        {"key=q&button=3&hold=250", 250, 0x51, 0x8000},
        {"key=E", HOLD, 0x45, BUTTON},
        {"key=e", HOLD, 0x45, BUTTON},
        {"key=7", HOLD, 0x37, BUTTON},
        {"key=ab", HOLD, KEY, BUTTON},
        {"key=%41", HOLD, KEY, BUTTON},
        {"key=.", HOLD, KEY, BUTTON},
        {"key=", HOLD, KEY, BUTTON},
        {"Key=q", HOLD, KEY, BUTTON},
        {"button=0", HOLD, KEY, 0x1000},
        {"button=1", HOLD, KEY, 0x2000},
        {"button=2", HOLD, KEY, 0x4000},
        {"button=4", HOLD, KEY, 0x0100},
        {"button=5", HOLD, KEY, 0x0200},
        {"button=6", HOLD, KEY, BUTTON},
        {"button=12", HOLD, KEY, BUTTON},
        {"button=1&button=9", HOLD, KEY, 0x2000},
        {"hold=0", 50, KEY, BUTTON},
        {"hold=49", 50, KEY, BUTTON},
        {"hold=50", 50, KEY, BUTTON},
        {"hold=10000", 10000, KEY, BUTTON},
        {"hold=10001", 10000, KEY, BUTTON},
        {"hold=+250", 250, KEY, BUTTON},
        {"hold=-250", HOLD, KEY, BUTTON},
        {"hold=+", HOLD, KEY, BUTTON},
        {"hold=-", HOLD, KEY, BUTTON},
        {"hold=++5", HOLD, KEY, BUTTON},
        {"hold=25a", HOLD, KEY, BUTTON},
        {"hold= 250", HOLD, KEY, BUTTON},
        {"hold=", HOLD, KEY, BUTTON},
        {"hold", HOLD, KEY, BUTTON},
        {"hold=" + max64, 10000, KEY, BUTTON},
        {"hold=18446744073709551616", HOLD, KEY, BUTTON},
        {"hold=99999999999999999999999", HOLD, KEY, BUTTON},
        {"hold=300&hold=x", 300, KEY, BUTTON},
        {"&&hold=300&&", 300, KEY, BUTTON},
        {"hold=300=4", HOLD, KEY, BUTTON},
        {"other=1&key=z", HOLD, 0x5A, BUTTON},
    };
    for (const BindingCase& c : cases) {
        SCOPED_TRACE(c.query);
        Binding binding = parse_binding(c.query);
        EXPECT_EQ(binding.hold_ms, c.hold_ms);
        EXPECT_EQ(binding.key_code, c.key_code);
        EXPECT_EQ(binding.button_mask, c.button_mask);
    }
}

}  // namespace
}  // namespace vantrel
