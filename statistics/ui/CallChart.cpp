#include "statistics/ui/CallChart.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <array>
#include <cmath>

#include "recording/DisplayText.h"

namespace tapelink {

namespace {

constexpr int kLeft = 44;  // room for the counts on the axis
constexpr int kTop = 26;   // room for the legend
constexpr int kRight = 10;
constexpr int kBottom = 22;        // room for the periods' labels
constexpr double kBarShare = 0.7;  // of a column's width; the rest is the gap between bars

constexpr std::array<CallClass, kCallClassCount> kStackOrder = {CallClass::Outgoing, CallClass::Incoming,
                                                                CallClass::Message, CallClass::Local};
constexpr std::array<const char*, kCallClassCount> kClassNames = {"主叫通话", "被叫通话", "留言录音", "本地录音"};

QString number(std::int64_t value) {
    return QString::number(static_cast<qlonglong>(value));
}

}  // namespace

CallChart::CallChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("callChart"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CallChart::setPeriods(std::vector<PeriodFigures> periods) {
    m_periods = std::move(periods);
    update();
}

QColor CallChart::classColour(CallClass callClass) {
    switch (callClass) {
        case CallClass::Outgoing:
            return {0x2f, 0x6f, 0xb5};
        case CallClass::Incoming:
            return {0xe0, 0x8a, 0x2c};
        case CallClass::Message:
            return {0x4c, 0xa0, 0x5a};
        case CallClass::Local:
            return {0x9a, 0x9a, 0x9a};
    }
    return Qt::black;
}

QRect CallChart::plotArea() const {
    return QRect(QPoint(kLeft, kTop), QPoint(width() - kRight, height() - kBottom));
}

double CallChart::columnWidth() const {
    return m_periods.empty() ? 0.0 : static_cast<double>(plotArea().width()) / static_cast<double>(m_periods.size());
}

std::int64_t CallChart::scaleTop() const {
    std::int64_t most = 0;
    for (const PeriodFigures& period : m_periods) most = std::max(most, period.count());
    return std::max<std::int64_t>(most, 1);
}

QRect CallChart::barRect(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_periods.size()) return {};
    const QRect plot = plotArea();
    const double column = columnWidth();
    const double barWidth = std::max(1.0, column * kBarShare);
    const int left = plot.left() + static_cast<int>(std::lround(column * index + (column - barWidth) / 2));
    const auto count = static_cast<double>(m_periods[static_cast<std::size_t>(index)].count());
    const int height = static_cast<int>(std::lround(count * plot.height() / static_cast<double>(scaleTop())));
    if (height == 0) return {};
    return QRect(left, plot.bottom() + 1 - height, static_cast<int>(std::lround(barWidth)), height);
}

int CallChart::periodAt(const QPoint& point) const {
    const QRect plot = plotArea();
    if (m_periods.empty() || !plot.contains(point)) return -1;
    const int index = static_cast<int>((point.x() - plot.left()) / columnWidth());
    return std::clamp(index, 0, static_cast<int>(m_periods.size()) - 1);
}

QString CallChart::figuresText(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= m_periods.size()) return {};
    const PeriodFigures& period = m_periods[static_cast<std::size_t>(index)];
    return QString::fromStdString(period.label) +
           QStringLiteral("\n共 %1 次，时长 %2")
               .arg(number(period.count()), QString::fromStdString(secondsText(period.totalSeconds()))) +
           QStringLiteral("\n主叫 %1，被叫 %2").arg(number(period.outgoing()), number(period.incoming())) +
           QStringLiteral("\n通话录音 %1，留言录音 %2，本地录音 %3")
               .arg(number(period.countOf(CallClass::Outgoing) + period.countOf(CallClass::Incoming)),
                    number(period.countOf(CallClass::Message)), number(period.countOf(CallClass::Local)));
}

bool CallChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = periodAt(help->pos());
        if (index >= 0) {
            QToolTip::showText(help->globalPos(), figuresText(index), this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

void CallChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect plot = plotArea();
    const QFontMetrics metrics = painter.fontMetrics();

    // Legend.
    int x = kLeft;
    for (std::size_t i = 0; i < kStackOrder.size(); ++i) {
        painter.fillRect(QRect(x, 8, 10, 10), classColour(kStackOrder[i]));
        const QString name = QString::fromUtf8(kClassNames[i]);
        painter.setPen(palette().text().color());
        painter.drawText(QPoint(x + 14, 8 + metrics.ascent() - 2), name);
        x += 14 + metrics.horizontalAdvance(name) + 16;
    }

    // Axes with the scale's top and zero.
    painter.setPen(palette().mid().color());
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.setPen(palette().text().color());
    painter.drawText(QRect(0, plot.top() - metrics.height() / 2, kLeft - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, number(m_periods.empty() ? 0 : scaleTop()));
    painter.drawText(QRect(0, plot.bottom() - metrics.height() / 2, kLeft - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));

    // Bars, each class's part in proportion to its count.
    for (std::size_t i = 0; i < m_periods.size(); ++i) {
        const QRect bar = barRect(static_cast<int>(i));
        if (bar.isEmpty()) continue;
        const PeriodFigures& period = m_periods[i];
        std::int64_t below = 0;
        for (const CallClass callClass : kStackOrder) {
            const std::int64_t count = period.countOf(callClass);
            if (count == 0) continue;
            const int from = static_cast<int>(std::lround(bar.height() * static_cast<double>(below) / period.count()));
            const int to =
                static_cast<int>(std::lround(bar.height() * static_cast<double>(below + count) / period.count()));
            painter.fillRect(QRect(bar.left(), bar.bottom() + 1 - to, bar.width(), to - from), classColour(callClass));
            below += count;
        }
    }

    // As many labels as fit, evenly spaced, the first always.
    if (m_periods.empty()) return;
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("2026-12-31")) + 8;
    const double column = columnWidth();
    const int step = std::max(1, static_cast<int>(std::ceil(labelWidth / std::max(column, 1.0))));
    for (std::size_t i = 0; i < m_periods.size(); i += static_cast<std::size_t>(step)) {
        const int centre = plot.left() + static_cast<int>(column * (static_cast<double>(i) + 0.5));
        painter.drawText(QRect(centre - labelWidth / 2, plot.bottom() + 3, labelWidth, kBottom - 3),
                         Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(m_periods[i].label));
    }
}

}  // namespace tapelink
