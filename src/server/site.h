// The maker's site: where the tracker page lives and which pages may talk
// to the program.
#pragma once

#include <array>
#include <string_view>

namespace vantrel {

inline constexpr std::string_view SITE_ORIGIN = "https://zendry.gg";
inline constexpr std::string_view TRACKER_URL = "https://zendry.gg/chests";
static_assert(TRACKER_URL.starts_with(SITE_ORIGIN) && TRACKER_URL[SITE_ORIGIN.size()] == '/');
inline constexpr std::array<std::string_view, 3> ALLOWED_ORIGINS = {SITE_ORIGIN, "http://localhost:3000",
                                                                    "http://127.0.0.1:3000"};

}  // namespace vantrel
