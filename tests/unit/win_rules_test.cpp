#include "win/scheme.h"
#include "win/timer_policy.h"
#include "win/tooltip.h"
#include "win/uninstall_command.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

TEST(Tooltip, AtMost127UnitsSoTheTipStaysTerminated) {
    EXPECT_EQ(tooltip_units(std::string(200, 'x')), std::u16string(127, u'x'));
}

// The path goes in unit for unit: an unpaired surrogate, which NTFS allows
// and no UTF-8 text carries, must reach the registry as it is.
TEST(SchemeRegistration, ValuesForAPathWithSpacesNonAsciiAndAnUnpairedSurrogate) {
    for (const std::u16string& path : {std::u16string(u"C:\\Games\\My Tools\\\u00E9\\vantrel.exe"),
                                       std::u16string{u'C', u':', u'\\', 0xDC00, u'.'}}) {
        auto values = scheme_registry_values(path);
        EXPECT_EQ(values[0].key, "Software\\Classes\\zendry-chests");
        EXPECT_FALSE(values[0].name.has_value());
        EXPECT_EQ(values[0].data, u"URL:Vantrel");
        EXPECT_EQ(values[1].key, "Software\\Classes\\zendry-chests");
        EXPECT_EQ(values[1].name, "URL Protocol");
        EXPECT_EQ(values[1].data, u"");
        EXPECT_EQ(values[2].key, "Software\\Classes\\zendry-chests\\DefaultIcon");
        EXPECT_EQ(values[2].data, u"\"" + path + u"\",0");
        EXPECT_EQ(values[3].key, "Software\\Classes\\zendry-chests\\shell\\open\\command");
        EXPECT_EQ(values[3].data, u"\"" + path + u"\" \"%1\"");
    }
    EXPECT_EQ(registry_string_size(0), 2u);
    EXPECT_EQ(registry_string_size(11), 24u);  // "URL:Vantrel"
}

TEST(Uninstall, CommandLineNamesBothPathsOnlyThroughTheirVariablesAndNoLoop) {
    std::string expected = "\"cmd.exe\" /d /v:on /s /c \"\"!VANTREL_PING_PATH!\" -n 3 127.0.0.1 >nul";
    for (int attempt = 0; attempt < 30; ++attempt)
        expected +=
            " & del /f /q \"!VANTREL_REMOVE_PATH!\" >nul 2>&1 & if exist \"!VANTREL_REMOVE_PATH!\" "
            "\"!VANTREL_PING_PATH!\" -n 2 127.0.0.1 >nul";
    EXPECT_EQ(uninstall_command_line(), expected + "\"");
    // cmd's longest line; each path is expanded within one command, so its length adds nothing.
    EXPECT_LT(uninstall_command_line().size(), 8191u);
}

TEST(AutoOpen, OnlyStrictlyBetweenThreeAndFourSeconds) {
    EXPECT_FALSE(in_auto_open_window(3s));
    EXPECT_TRUE(in_auto_open_window(3s + 1ns));
    EXPECT_TRUE(in_auto_open_window(4s - 1ns));
    EXPECT_FALSE(in_auto_open_window(4s));
    EXPECT_FALSE(in_auto_open_window(2s));
}

}  // namespace
}  // namespace vantrel
