#include "win/start_origin.h"

#include "platform/text.h"

namespace vantrel {

namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

std::vector<std::u16string> split_command_line(std::u16string_view line) {
    std::vector<std::u16string> arguments;
    std::size_t i = 0;
    std::u16string program;
    bool quoted = false;
    for (; i < line.size() && (quoted || !is_blank(line[i])); ++i) {
        if (line[i] == u'"')
            quoted = !quoted;
        else
            program += line[i];
    }
    arguments.push_back(std::move(program));

    for (;;) {
        while (i < line.size() && is_blank(line[i])) ++i;
        if (i == line.size()) return arguments;
        std::u16string argument;
        quoted = false;
        while (i < line.size() && (quoted || !is_blank(line[i]))) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == u'\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == u'"') {
                argument.append(backslashes / 2, u'\\');
                if (backslashes % 2 == 1) {
                    argument += u'"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    argument += u'"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(backslashes, u'\\');
                if (i < line.size() && (quoted || !is_blank(line[i]))) argument += line[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
}

bool started_through_scheme(std::u16string_view command_line) {
    const std::string prefix = std::string(URL_SCHEME) + ":";
    std::vector<std::u16string> arguments = split_command_line(command_line);
    for (std::size_t k = 1; k < arguments.size(); ++k) {
        if (from_utf16(arguments[k]).starts_with(prefix)) return true;
    }
    return false;
}

}  // namespace vantrel
