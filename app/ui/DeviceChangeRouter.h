#pragma once

#include <QObject>
#include <functional>
#include <vector>

namespace tapelink {

// Carries the device watcher's notifications to the window in front. With no dialog open that is the
// main window's own handling; a modal dialog opened over it takes them while it is open and passes
// them on to its parent, so the main window sees each notification exactly once, whichever window is
// in front. Dialogs nest, so the receivers form a stack.
class DeviceChangeRouter : public QObject {
    Q_OBJECT
public:
    struct Receiver {
        std::function<void()> arrived;
        std::function<void()> removed;
    };

    // Takes the notifications while it lives.
    class Front {
    public:
        explicit Front(DeviceChangeRouter& router) : m_router(router) {}
        ~Front() { m_router.m_receivers.pop_back(); }
        Front(const Front&) = delete;
        Front& operator=(const Front&) = delete;

    private:
        DeviceChangeRouter& m_router;
    };

    explicit DeviceChangeRouter(Receiver mainWindow, QObject* parent = nullptr);

    [[nodiscard]] Front push(Receiver receiver);
    int depth() const { return static_cast<int>(m_receivers.size()); }

public slots:
    void deviceArrived();
    void deviceRemoved();

private:
    std::vector<Receiver> m_receivers;
};

}  // namespace tapelink
