#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "common/IMessageSink.h"

namespace tapelink {

// Room a title bar needs besides the caption's text, in lines of the box's font: its icon and three
// buttons, each about two and a half lines wide in common window managers, and padding.
inline constexpr int kCaptionControlsEm = 12;

// Gives a message box, however short its text, the width its caption needs in the title bar, leaving
// its text the room it needs.
void widenForCaption(QMessageBox& box);

// Shows the system's messages as modal boxes captioned "提示", owned by the given window.
// Must be called on the GUI thread; workers reach it through their job adapters.
class MessageBoxSink : public IMessageSink {
public:
    explicit MessageBoxSink(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }
    void showMessage(const std::string& text, MessageIcon icon) override;

    // Makes box the system's message box with text and icon, ready to be run.
    static void prepare(QMessageBox& box, const std::string& text, MessageIcon icon);

private:
    QPointer<QWidget> m_owner;
};

}  // namespace tapelink
