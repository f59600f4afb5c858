#include "platform/PulseMixer.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace tapelink {

namespace {

using Clock = std::chrono::steady_clock;

struct SinkState {
    bool done = false;
    bool found = false;
    pa_cvolume volume{};
    bool muted = false;
};

void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* user) {
    auto* state = static_cast<SinkState*>(user);
    if (eol != 0) {
        state->done = true;
        return;
    }
    if (info == nullptr) return;
    state->found = true;
    state->volume = info->volume;
    state->muted = info->mute != 0;
}

struct ServerState {
    bool done = false;
    std::string defaultSink;
};

void onServerInfo(pa_context*, const pa_server_info* info, void* user) {
    auto* state = static_cast<ServerState*>(user);
    if (info != nullptr && info->default_sink_name != nullptr) state->defaultSink = info->default_sink_name;
    state->done = true;
}

struct Outcome {
    bool done = false;
    bool success = false;
};

void onSuccess(pa_context*, int success, void* user) {
    auto* outcome = static_cast<Outcome*>(user);
    outcome->success = success != 0;
    outcome->done = true;
}

}  // namespace

// One connection to the server on a private main loop. Every wait has a deadline, so an unresponsive server
// makes a call fail instead of hanging the caller.
class PulseMixer::Connection {
public:
    Connection(const std::string& server, int timeoutMs)
        : m_deadline(Clock::now() + std::chrono::milliseconds(timeoutMs)), m_loop(pa_mainloop_new()) {
        if (m_loop == nullptr) return;
        m_context = pa_context_new(pa_mainloop_get_api(m_loop), "Tapelink");
        if (m_context == nullptr) return;
        if (pa_context_connect(m_context, server.empty() ? nullptr : server.c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) <
            0)
            return;
        const bool ready = runUntil([this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        });
        m_ready = ready && pa_context_get_state(m_context) == PA_CONTEXT_READY;
    }

    ~Connection() {
        if (m_context != nullptr) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_loop != nullptr) pa_mainloop_free(m_loop);
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ready() const { return m_ready; }

    std::string defaultSink() {
        ServerState state;
        if (!complete(pa_context_get_server_info(m_context, onServerInfo, &state), state.done)) return {};
        return state.defaultSink;
    }

    bool sinkState(const std::string& sink, SinkState& state) {
        return complete(pa_context_get_sink_info_by_name(m_context, sink.c_str(), onSinkInfo, &state), state.done) &&
               state.found;
    }

    bool setVolume(const std::string& sink, const pa_cvolume& volume) {
        Outcome outcome;
        return complete(pa_context_set_sink_volume_by_name(m_context, sink.c_str(), &volume, onSuccess, &outcome),
                        outcome.done) &&
               outcome.success;
    }

    bool setMute(const std::string& sink, bool on) {
        Outcome outcome;
        return complete(pa_context_set_sink_mute_by_name(m_context, sink.c_str(), on ? 1 : 0, onSuccess, &outcome),
                        outcome.done) &&
               outcome.success;
    }

private:
    bool complete(pa_operation* operation, const bool& done) {
        if (operation == nullptr) return false;
        const bool finished = runUntil([&done] { return done; });
        if (!finished) pa_operation_cancel(operation);
        pa_operation_unref(operation);
        return finished;
    }

    bool runUntil(const std::function<bool()>& finished) {
        while (!finished()) {
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(m_deadline - Clock::now());
            if (left.count() <= 0) return false;
            if (pa_mainloop_prepare(m_loop, static_cast<int>(left.count())) < 0) return false;
            if (pa_mainloop_poll(m_loop) < 0) return false;
            if (pa_mainloop_dispatch(m_loop) < 0) return false;
            if (m_context != nullptr && !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) return finished();
        }
        return true;
    }

    Clock::time_point m_deadline;
    pa_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    bool m_ready = false;
};

PulseMixer::PulseMixer(std::string server, int timeoutMs) : m_server(std::move(server)), m_timeoutMs(timeoutMs) {}

PulseMixer::~PulseMixer() = default;

bool PulseMixer::open() {
    auto connection = std::make_unique<Connection>(m_server, m_timeoutMs);
    if (!connection->ready()) return false;
    m_sink = connection->defaultSink();
    if (m_sink.empty()) return false;
    m_connection = std::move(connection);
    return true;
}

void PulseMixer::close() {
    m_connection.reset();
    m_sink.clear();
}

std::optional<std::uint32_t> PulseMixer::findControl(MixerLine, MixerControlKind kind) {
    if (!m_connection) return std::nullopt;
    SinkState state;
    if (!m_connection->sinkState(m_sink, state)) return std::nullopt;
    return kind == MixerControlKind::Volume ? std::uint32_t{PA_VOLUME_NORM} : 1u;
}

std::optional<std::uint32_t> PulseMixer::readControl(MixerLine, MixerControlKind kind) {
    if (!m_connection) return std::nullopt;
    SinkState state;
    if (!m_connection->sinkState(m_sink, state)) return std::nullopt;
    if (kind == MixerControlKind::Mute) return state.muted ? 1u : 0u;
    // The loudest channel stands for the whole output, as one fader would.
    return std::min<std::uint32_t>(pa_cvolume_max(&state.volume), PA_VOLUME_NORM);
}

bool PulseMixer::writeControl(MixerLine, MixerControlKind kind, std::uint32_t value) {
    if (!m_connection) return false;
    if (kind == MixerControlKind::Mute) return m_connection->setMute(m_sink, value != 0);
    SinkState state;
    if (!m_connection->sinkState(m_sink, state)) return false;
    pa_cvolume volume = state.volume;
    pa_cvolume_set(&volume, std::max<unsigned>(volume.channels, 1), std::min<pa_volume_t>(value, PA_VOLUME_NORM));
    return m_connection->setVolume(m_sink, volume);
}

}  // namespace tapelink
