// An InputSource whose answers the test sets, counting every question.
#pragma once

#include "server/input_source.h"

#include <cstdint>
#include <set>

namespace vantrel::test {

struct ScriptedInput final : InputSource {
    InputSample pad;
    std::set<std::uint32_t> keys;
    bool focused = false;
    int pad_reads = 0;
    int key_queries = 0;
    int focus_queries = 0;

    InputSample read_pad() override {
        ++pad_reads;
        return pad;
    }
    bool key_down(std::uint32_t key_code) override {
        ++key_queries;
        return keys.count(key_code) != 0;
    }
    bool game_focused() override {
        ++focus_queries;
        return focused;
    }
};

}  // namespace vantrel::test
