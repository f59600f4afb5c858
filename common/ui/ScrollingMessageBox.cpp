#include "common/ui/ScrollingMessageBox.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "common/ui/MessageBoxSink.h"

namespace tapelink {

namespace {

// A text taller than this part of the free screen height scrolls; the rest is the box's icon row, its
// button, margins and the window manager's title bar.
constexpr int kTextShareOfScreen = 2;  // halves
constexpr int kWidestTextEm = 40;
constexpr int kFrameAllowance = 64;

QRect freeArea(const QWidget* near) {
    const QScreen* screen =
        near != nullptr && near->screen() != nullptr ? near->screen() : QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

bool ScrollingMessageBox::needed(const QString& text, const QFont& font, const QWidget* near) {
    const QFontMetrics metrics(font);
    const QRect bounds = metrics.boundingRect(QRect(0, 0, kWidestTextEm * metrics.height(), 1 << 20),
                                              Qt::TextWordWrap | Qt::TextWrapAnywhere, text);
    return bounds.height() > freeArea(near).height() / kTextShareOfScreen;
}

ScrollingMessageBox::ScrollingMessageBox(const QString& text, const QPixmap& icon, const QFont& font, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("提示"));
    setFont(font);

    auto* iconLabel = new QLabel(this);
    iconLabel->setPixmap(icon);
    auto* textLabel = new QLabel(text);
    textLabel->setObjectName(QStringLiteral("text"));
    textLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textLabel->setWordWrap(true);
    m_area = new QScrollArea(this);
    m_area->setWidget(textLabel);
    m_area->setWidgetResizable(true);
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(iconLabel, 0, Qt::AlignTop);
    row->addWidget(m_area, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row, 1);
    column->addWidget(buttons);

    // As wide as the text's longest line up to a readable measure and at least as the caption needs beside the
    // title bar's controls; as tall as the text up to three quarters of the free screen.
    const QRect screen = freeArea(parent);
    const QFontMetrics metrics(textLabel->font());
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int textWidth = std::min(metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), 0, text).width(),
                                   kWidestTextEm * metrics.height());
    const QMargins margins = column->contentsMargins();
    const int chrome = iconLabel->sizeHint().width() + row->spacing() + margins.left() + margins.right();
    const int captionWidth = metrics.horizontalAdvance(windowTitle()) + kCaptionControlsEm * metrics.height();
    const int width = std::min(screen.width() - kFrameAllowance,
                               std::max(captionWidth, textWidth + scrollBar + chrome + metrics.height()));
    const int height = textLabel->heightForWidth(textWidth) + buttons->sizeHint().height() + margins.top() +
                       margins.bottom() + 2 * metrics.height();
    setMaximumSize(screen.size() - QSize(kFrameAllowance, kFrameAllowance));
    resize(width, std::min(screen.height() * 3 / 4, height));
    buttons->button(QDialogButtonBox::Ok)->setFocus();
}

}  // namespace tapelink
