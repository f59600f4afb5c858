// How quickly the phone list shows and scrolls 10,000 recordings: the main window's model-based view
// against the same rows put into a QTableWidget, one item per cell, measured in the same run.
// Prints both times in milliseconds and their ratio.
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <cstdio>

#include "app/ui/PhoneListModel.h"
#include "phone/PhoneListRow.h"

using namespace tapelink;

namespace {

constexpr int kRows = 10000;

std::vector<RecordingEntry> entries() {
    std::vector<RecordingEntry> result;
    for (int i = 0; i < kRows; ++i) {
        RecordingEntry entry;
        entry.size = static_cast<std::uint64_t>(4532 + 997 * i);
        char name[16];
        std::snprintf(name, sizeof name, "VO%c%05d.WAV", "ABCIJK"[i % 6], i);
        entry.fileName = name;
        entry.direction = i % 3 == 0 ? 'Z' : 'B';
        entry.phoneNumber = "1380013" + std::to_string(1000 + i);
        entry.startKey = "1105180907";
        entry.folder = "/phone/voice/";
        result.push_back(entry);
    }
    return result;
}

struct Times {
    double shown = 0;     // rows in, first page painted
    double scrolled = 0;  // and every 25th page painted after it
};

// Shows the view and paints it, then scrolls through the list, painting every 25th page.
void showAndScroll(QAbstractItemView& view, const QElapsedTimer& timer, Times& times) {
    view.resize(1000, 480);
    view.show();
    view.grab();
    times.shown = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    QScrollBar* bar = view.verticalScrollBar();
    for (int value = 0; value <= bar->maximum(); value += bar->pageStep() * 25) {
        bar->setValue(value);
        view.grab();
    }
    times.scrolled = static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

Times modelView(const std::vector<RecordingEntry>& list) {
    QElapsedTimer timer;
    timer.start();
    PhoneListModel model;
    QTableView view;
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.setModel(&model);
    model.setEntries(list);
    Times times;
    showAndScroll(view, timer, times);
    return times;
}

Times itemWidget(const std::vector<RecordingEntry>& list) {
    QElapsedTimer timer;
    timer.start();
    QTableWidget view(0, static_cast<int>(kRecordingColumnCount));
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int row = 0; row < static_cast<int>(list.size()); ++row) {
        const RecordingRow texts = phoneListRow(list[static_cast<std::size_t>(row)], row);
        view.insertRow(row);
        for (int column = 0; column < static_cast<int>(kRecordingColumnCount); ++column) {
            view.setItem(row, column,
                         new QTableWidgetItem(QString::fromStdString(texts[static_cast<std::size_t>(column)])));
        }
    }
    Times times;
    showAndScroll(view, timer, times);
    return times;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const auto list = entries();
    const Times model = modelView(list);
    const Times items = itemWidget(list);
    std::printf("phone list, %d rows shown: model view %.1f ms, item table %.1f ms, ratio %.3f\n", kRows, model.shown,
                items.shown, model.shown / items.shown);
    std::printf("phone list, %d rows shown and scrolled: model view %.1f ms, item table %.1f ms, ratio %.3f\n", kRows,
                model.scrolled, items.scrolled, model.scrolled / items.scrolled);
    return 0;
}
