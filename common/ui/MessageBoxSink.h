#pragma once

#include <QPointer>
#include <QWidget>

#include "common/IMessageSink.h"

namespace tapelink {

// Shows the system's messages as modal boxes captioned "提示", owned by the given window.
// Must be called on the GUI thread; workers reach it through their job adapters.
class MessageBoxSink : public IMessageSink {
public:
    explicit MessageBoxSink(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }
    void showMessage(const std::string& text, MessageIcon icon) override;

private:
    QPointer<QWidget> m_owner;
};

}  // namespace tapelink
