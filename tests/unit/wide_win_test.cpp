// Runs where wchar_t is UTF-16: the Windows build, under Wine.
#include "platform/wide_win.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantrel {
namespace {

// A path cut to the first buffer would register, or delete, another file.
TEST(SystemText, GrowsUntilTheWholeTextFitsAndNeverReturnsACutOne) {
    const std::wstring long_path = L"C:\\" + std::wstring(3000, L'd') + L"\\vantrel.exe";
    int calls = 0;
    auto cutting = [&](wchar_t* buffer, std::size_t capacity) -> std::size_t {
        ++calls;
        std::size_t units = std::min(long_path.size(), capacity);
        std::copy_n(long_path.begin(), units, buffer);
        return units;  // capacity when cut, as the module-path call does
    };
    EXPECT_EQ(read_system_text(cutting), long_path);
    EXPECT_GT(calls, 1);
    EXPECT_EQ(read_system_text([](wchar_t*, std::size_t) -> std::size_t { return 0; }), std::nullopt);
    EXPECT_EQ(read_system_text([](wchar_t*, std::size_t capacity) { return capacity + 1; }), std::nullopt);
}

}  // namespace
}  // namespace vantrel
