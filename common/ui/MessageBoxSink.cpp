#include "common/ui/MessageBoxSink.h"

#include <QDialogButtonBox>
#include <QFontMetrics>

#include "common/ui/ScrollingMessageBox.h"

namespace tapelink {

namespace {

// A window that is not on the screen yet (a player whose first recording fails while it opens) has no place
// to centre a box on: the nearest shown window above it stands in, and the owner will open centred on it too.
QWidget* shownOwner(QWidget* owner) {
    for (QWidget* window = owner; window != nullptr; window = window->parentWidget()) {
        if (window->isVisible()) return window;
    }
    return owner;
}

}  // namespace

void widenForCaption(QMessageBox& box) {
    // A box only as wide as a short text leaves the window manager no room for its caption beside the
    // title bar's icon and buttons, and it shows "···" instead. QMessageBox fixes its own size from its
    // layout's minimum width each time it is shown. The minimum goes on the button row, which spans the
    // box: on the text it would replace the text's own minimum and cut a longer text off.
    auto* buttons = box.findChild<QDialogButtonBox*>();
    if (buttons == nullptr) return;
    const QFontMetrics metrics(box.font());
    buttons->setMinimumWidth(metrics.horizontalAdvance(box.windowTitle()) + kCaptionControlsEm * metrics.height());
}

void MessageBoxSink::showMessage(const std::string& text, MessageIcon icon) {
    QWidget* owner = shownOwner(m_owner);
    QMessageBox box(owner);
    prepare(box, text, icon);
    // A plain box grows with its text, past the bottom of the screen and its 确定 with it.
    if (ScrollingMessageBox::needed(box.text(), box.font(), owner)) {
        ScrollingMessageBox tall(box.text(), box.iconPixmap(), box.font(), owner);
        tall.exec();
        return;
    }
    box.exec();
}

void MessageBoxSink::prepare(QMessageBox& box, const std::string& text, MessageIcon icon) {
    box.setWindowTitle(QStringLiteral("提示"));
    box.setText(QString::fromStdString(text));
    box.setIcon(icon == MessageIcon::Warning       ? QMessageBox::Warning
                : icon == MessageIcon::Stop        ? QMessageBox::Critical
                : icon == MessageIcon::Information ? QMessageBox::Information
                                                   : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    widenForCaption(box);
}

}  // namespace tapelink
