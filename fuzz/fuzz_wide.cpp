// UTF-8 <-> UTF-16 for window titles, paths and everything handed to the system.
#include "platform/text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // UTF-8 in: what comes back is the input with invalid parts replaced.
    if (from_utf16(to_utf16(bytes)) != decode_utf8_lossy(bytes)) std::abort();
    // UTF-16 in (unpaired surrogates included): the UTF-8 out is always valid.
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    std::string text = from_utf16(units);
    if (decode_utf8_lossy(text) != text) std::abort();
    trim_white_space(text);
    return 0;
}
