// The bytes the server must put on the wire, written out by hand once for
// every C++ test: never built from the code under test, but for the version,
// which the build sets.
#pragma once

#include "version.h"  // generated

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::test::wire {

inline const std::string DEV = "http://localhost:3000";

inline std::string cors(std::string_view origin) {
    return "Access-Control-Allow-Origin: " + std::string(origin) +
           "\r\nAccess-Control-Allow-Private-Network: true\r\nVary: Origin\r\n";
}

inline std::string plain(std::string_view status, std::string_view extra_headers, std::string_view body) {
    return "HTTP/1.1 " + std::string(status) +
           "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + std::string(extra_headers) + "\r\n" + std::string(body);
}

inline const std::string RUNNING =
    "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 20\r\nConnection: close\r\n\r\n"
    "Vantrel is running.\n";
inline const std::string FORBIDDEN = plain("403 Forbidden", "", "");
inline std::string not_found(std::string_view origin) { return plain("404 Not Found", cors(origin), ""); }
inline std::string no_content(std::string_view origin) { return plain("204 No Content", cors(origin), ""); }
inline std::string preflight(std::string_view origin) {
    return plain("204 No Content", cors(origin) + "Access-Control-Allow-Methods: GET, POST\r\n", "");
}

inline std::string stream_head(std::string_view origin) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\nCache-Control: no-store\r\nConnection: "
           "keep-alive\r\n" +
           cors(origin) + "\r\nretry: 2000\n\n";
}
inline const std::string HELLO = "data: {\"type\":\"hello\",\"version\":\"" VANTREL_VERSION "\"}\n\n";
inline const std::string PAD_ON = "data: {\"type\":\"pad\",\"connected\":true}\n\n";
inline const std::string PAD_OFF = "data: {\"type\":\"pad\",\"connected\":false}\n\n";
inline const std::string PING = ": ping\n\n";

inline std::string down(std::string_view source) {
    return "data: {\"type\":\"down\",\"source\":\"" + std::string(source) + "\"}\n\n";
}
inline std::string chest(std::string_view source) {
    return "data: {\"type\":\"chest\",\"source\":\"" + std::string(source) + "\"}\n\n";
}
inline std::string up(std::string_view source, std::uint64_t ms, bool game) {
    return "data: {\"type\":\"up\",\"source\":\"" + std::string(source) + "\",\"ms\":" + std::to_string(ms) +
           ",\"game\":" + (game ? "true" : "false") + "}\n\n";
}

}  // namespace vantrel::test::wire
