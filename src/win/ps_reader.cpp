#include "win/ps_reader.h"

namespace vantrel {

namespace {

bool asked_recently(const PsPad& pad, Instant now) {
    return pad.last_asked && elapsed(*pad.last_asked, now) <= PS_IDLE_AFTER;
}

void publish(PsPad& pad, InputSample sample) {
    std::lock_guard lock(pad.lock);
    pad.latest = sample;
}

// The first supported controller; the others wait until it goes.
void open_first(PsReader& reader) {
    for (const HidCandidate& candidate : reader.calls.enumerate()) {
        std::optional<PsModel> model = ps_model(candidate.vendor, candidate.product);
        if (!model) continue;
        if (std::optional<std::uintptr_t> device = reader.calls.open(candidate.path)) {
            reader.device = device;
            reader.model = *model;
            return;
        }
    }
}

void let_go(PsReader& reader) {
    reader.calls.close(*reader.device);
    reader.device.reset();
}

}  // namespace

InputSample take_ps_pad(PsPad& pad, Instant now) {
    std::unique_lock lock(pad.lock);
    const bool was_idle = !asked_recently(pad, now);
    pad.last_asked = now;
    InputSample latest = pad.latest;
    lock.unlock();
    if (was_idle) pad.asked.notify_one();
    return latest;
}

PsStep ps_reader_step(PsReader& reader, PsPad& pad, Instant now) {
    bool asked;
    {
        std::lock_guard lock(pad.lock);
        asked = asked_recently(pad, now);
    }
    if (!reader.device) {
        open_first(reader);
        publish(pad, {reader.device.has_value(), 0});
    }
    if (!asked) {
        // Kept while idle: whether a controller is there, so that the next
        // page is not told "not connected" while the reader wakes; but no
        // button, which could be long released by then.
        if (reader.device) let_go(reader);
        std::lock_guard lock(pad.lock);
        pad.latest.buttons = 0;
        return PsStep::Idle;
    }
    if (!reader.device) return PsStep::NoDevice;
    switch (reader.calls.read(*reader.device, reader.report, PS_READ_SLICE)) {
        case HidRead::Failed:
            let_go(reader);
            publish(pad, {});
            return PsStep::NoDevice;
        case HidRead::TimedOut: return PsStep::Reading;
        case HidRead::Report: break;
    }
    if (std::optional<PsState> state = parse_ps_report(reader.model, reader.report))
        publish(pad, {state->connected, state->buttons});  // buttons count only while connected
    return PsStep::Reading;
}

void ps_reader_loop(PsPad& pad, HidCalls calls) {
    PsReader reader{.calls = calls};
    for (;;) {
        switch (ps_reader_step(reader, pad, Clock::now())) {
            case PsStep::Idle: {
                std::unique_lock lock(pad.lock);
                pad.asked.wait(lock, [&] { return asked_recently(pad, Clock::now()); });
                break;
            }
            case PsStep::NoDevice: wait_interval(PS_RESCAN_INTERVAL); break;
            case PsStep::Reading: break;
        }
    }
}

}  // namespace vantrel
