#include "phone/ui/WorkerMailbox.h"

#include <utility>

namespace tapelink {

void WorkerMailbox::post(std::function<void()> call) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed) return;
        m_calls.push_back(std::move(call));
    }
    // One queued runNext per call: a call that opens a nested event loop (a message box) lets the
    // calls behind it run from that loop, still in their order.
    QMetaObject::invokeMethod(this, "runNext", Qt::QueuedConnection);
}

void WorkerMailbox::close() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        dropped.swap(m_calls);
    }
    // `dropped` is destroyed here, outside the lock.
}

void WorkerMailbox::runNext() {
    std::function<void()> call;
    {
        std::lock_guard lock(m_mutex);
        if (m_calls.empty()) return;
        call = std::move(m_calls.front());
        m_calls.pop_front();
    }
    // Nothing of the mailbox is touched after the call: it may end in the deletion of the mailbox's owner.
    call();
}

}  // namespace tapelink
