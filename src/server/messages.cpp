#include "server/messages.h"

namespace vantrel {

namespace {

std::string_view source_word(EventSource source) { return source == EventSource::Pad ? "pad" : "key"; }
std::string_view bool_word(bool value) { return value ? "true" : "false"; }

}  // namespace

void append_pad_message(std::string& out, bool connected) {
    out += "data: {\"type\":\"pad\",\"connected\":";
    out += bool_word(connected);
    out += "}\n\n";
}

void append_event_message(std::string& out, const PressEvent& event) {
    switch (event.kind) {
        case PressKind::Down: out += "data: {\"type\":\"down\",\"source\":\""; break;
        case PressKind::Up: out += "data: {\"type\":\"up\",\"source\":\""; break;
        case PressKind::Chest: out += "data: {\"type\":\"chest\",\"source\":\""; break;
    }
    out += source_word(event.source);
    if (event.kind == PressKind::Up) {
        out += "\",\"ms\":";
        out += std::to_string(event.held_ms);
        out += ",\"game\":";
        out += bool_word(event.game);
        out += "}\n\n";
    } else {
        out += "\"}\n\n";
    }
}

}  // namespace vantrel
