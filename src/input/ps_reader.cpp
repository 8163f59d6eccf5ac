#include "input/ps_reader.h"

#include <algorithm>

namespace vantrel {

namespace {

bool asked_recently(const PsPad& pad, Instant now) {
    return pad.last_asked && elapsed(*pad.last_asked, now) <= PS_IDLE_AFTER;
}

void publish(PsPad& pad, InputSample sample) {
    std::lock_guard lock(pad.lock);
    pad.latest = sample;
}

// By ids alone; a wireless adapter's ids say nothing of a controller behind it.
bool controller_present(const std::vector<HidCandidate>& candidates) {
    return std::ranges::any_of(candidates, [](const HidCandidate& candidate) {
        return ps_model(candidate.vendor, candidate.product) && candidate.product != DS4_WIRELESS_ADAPTER;
    });
}

// The first supported controller; the others wait until it goes.
bool open_first(PsReader& reader) {
    for (const HidCandidate& candidate : reader.system.enumerate()) {
        std::optional<PsModel> model = ps_model(candidate.vendor, candidate.product);
        if (!model) continue;
        if (std::unique_ptr<HidDevice> device = reader.system.open(candidate.path)) {
            reader.device = std::move(device);
            reader.model = *model;
            return true;
        }
    }
    return false;
}

}  // namespace

InputSample ask_ps_pad(PsPad& pad, Instant now) {
    std::unique_lock lock(pad.lock);
    pad.last_asked = now;
    // Whatever the two clocks say: an ask that finds the reader asleep wakes it.
    const bool wake = pad.asleep;
    pad.asleep = false;
    InputSample latest = pad.latest;
    lock.unlock();
    if (wake) pad.wake.notify_one();
    return latest;
}

void stop_ps_reader(PsPad& pad) {
    {
        std::lock_guard lock(pad.lock);
        pad.stopping = true;
    }
    pad.wake.notify_one();
}

PsStep ps_reader_step(PsReader& reader, PsPad& pad, Instant now) {
    bool asked;
    {
        std::lock_guard lock(pad.lock);
        asked = asked_recently(pad, now);
    }
    if (!asked) {
        // Kept while idle: whether a controller is there, so that the next
        // page is not told "not connected" while the reader wakes; but no
        // button, which could be long released by then.
        reader.device.reset();
        publish(pad, {controller_present(reader.system.enumerate()), 0});
        return PsStep::Idle;
    }
    if (!reader.device && !open_first(reader)) {
        publish(pad, {});
        return PsStep::NoDevice;
    }
    // Until a report says so, the state stays as it was: an adapter may have
    // no controller behind it.
    switch (reader.device->read(reader.report, PS_READ_SLICE)) {
        case HidRead::Failed:
            reader.device.reset();
            publish(pad, {});
            return PsStep::NoDevice;
        case HidRead::TimedOut: return PsStep::Reading;
        case HidRead::Report: break;
    }
    // Nothing read is no unplug, and no state either.
    if (reader.report.empty()) return PsStep::EmptyRead;
    // A report that does not parse changes nothing.
    if (std::optional<PsState> state = parse_ps_report(reader.model, reader.report))
        publish(pad, {state->connected, state->buttons});  // buttons count only while connected
    return PsStep::Reading;
}

void ps_reader_loop(PsPad& pad, HidSystem& system, Instant (*now)()) {
    PsReader reader{.system = system};
    for (;;) {
        PsStep step = ps_reader_step(reader, pad, now());
        std::unique_lock lock(pad.lock);
        switch (step) {
            case PsStep::Idle:
                // Marked under the lock, so no ask after this can miss it.
                pad.asleep = true;
                pad.wake.wait(lock, [&] { return !pad.asleep || pad.stopping; });
                break;
            case PsStep::NoDevice: pad.wake.wait_for(lock, PS_RESCAN_INTERVAL, [&] { return pad.stopping; }); break;
            case PsStep::EmptyRead: pad.wake.wait_for(lock, PS_EMPTY_READ_PAUSE, [&] { return pad.stopping; }); break;
            case PsStep::Reading: break;
        }
        if (pad.stopping) return;
    }
}

}  // namespace vantrel
