#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>
#include <vector>

#include "statistics/CallStatistics.h"

namespace tapelink {

// Calls per period as stacked bars, drawn with QPainter: from the bottom 主叫 calls, 被叫 calls, voice
// messages and local recordings, with a legend above and the periods' labels below. Hovering a bar shows
// its figures.
class CallChart : public QWidget {
    Q_OBJECT
public:
    explicit CallChart(QWidget* parent = nullptr);

    void setPeriods(std::vector<PeriodFigures> periods);
    const std::vector<PeriodFigures>& periods() const { return m_periods; }

    // Where period index's bar stands (its whole height; empty for a period without calls), and which
    // period's column a point lies in (-1: none).
    QRect barRect(int index) const;
    int periodAt(const QPoint& point) const;
    // The figures the tooltip of period index shows.
    QString figuresText(int index) const;
    // The colour of each class's part of a bar, in CallClass order.
    static QColor classColour(CallClass callClass);

    QSize sizeHint() const override { return {640, 260}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QRect plotArea() const;
    double columnWidth() const;
    std::int64_t scaleTop() const;  // the count the plot's top stands for

    std::vector<PeriodFigures> m_periods;
};

}  // namespace tapelink
