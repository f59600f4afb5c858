#pragma once

#include <stop_token>
#include <thread>

namespace tapelink::cli {

// Turns SIGINT and SIGTERM into a stop request for as long as it lives, as the window's Stop does: the
// work in progress ends at its next safe point instead of the process dying half way. The signals are
// blocked in this thread (and so in threads started later) and taken by a waiting thread of its own.
class InterruptStop {
public:
    InterruptStop();
    ~InterruptStop();
    InterruptStop(const InterruptStop&) = delete;
    InterruptStop& operator=(const InterruptStop&) = delete;

    std::stop_token token() const { return m_source.get_token(); }
    bool interrupted() const { return m_source.stop_requested(); }

private:
    std::stop_source m_source;
    std::jthread m_waiter;
};

}  // namespace tapelink::cli
