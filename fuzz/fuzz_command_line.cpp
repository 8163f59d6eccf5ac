// The command line, as the shell passes a scheme link or a user types it.
#include "win/start_origin.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string line(size / 2, u'\0');
    for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    std::vector<std::u16string> arguments = split_command_line(line);
    if (arguments.empty()) std::abort();
    std::size_t units = 0;
    for (const std::u16string& argument : arguments) units += argument.size();
    if (units > line.size()) std::abort();  // splitting only ever removes characters
    started_through_scheme(line);
    return 0;
}
