#include "common/ui/MessageBoxSink.h"

#include <QFontMetrics>
#include <QLabel>

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
    // text's minimum width each time it is shown, so the minimum goes on the text.
    auto* text = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (text == nullptr) return;
    const QFontMetrics metrics(box.font());
    text->setMinimumWidth(metrics.horizontalAdvance(box.windowTitle()) + kCaptionControlsEm * metrics.height());
}

void MessageBoxSink::showMessage(const std::string& text, MessageIcon icon) {
    QMessageBox box(shownOwner(m_owner));
    prepare(box, text, icon);
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
