#include "platform/platform.h"

#include <cstdio>
#include <cstdlib>

namespace vantrel {

void fatal(std::string_view line) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

}  // namespace vantrel
