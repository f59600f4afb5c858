// How long the search dialog takes to show a whole folder: 添加文件夹 (scan and fill) and 查找 (scan,
// criteria and fill), each until the list has been painted. Prints milliseconds and the row count.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableView>
#include <cstdio>

#include "common/IMessageSink.h"
#include "search/ui/CQueryDlg.h"

namespace {

class FixedChooser : public tapelink::IArchiveFileChooser {
public:
    explicit FixedChooser(QString folder) : m_folder(std::move(folder)) {}
    QStringList chooseRecordingFiles(QWidget*) override { return {}; }
    std::optional<QString> chooseFolder(QWidget*) override { return m_folder; }

private:
    QString m_folder;
};

class CountingSink : public tapelink::IMessageSink {
public:
    void showMessage(const std::string& text, tapelink::MessageIcon) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
};

double timedClick(QApplication& app, tapelink::CQueryDlg& dialog, const char* id) {
    QElapsedTimer timer;
    timer.start();
    dialog.findChild<QPushButton*>(QString::fromLatin1(id))->click();
    dialog.findChild<QTableView*>(QStringLiteral("1026"))->viewport()->repaint();
    app.processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    FixedChooser chooser(QString::fromLocal8Bit(argv[1]));
    CountingSink messages;
    tapelink::CQueryDlg dialog(nullptr, &messages, &chooser);
    dialog.show();
    app.processEvents();

    const double addFolder = timedClick(app, dialog, "1064");
    const int listed = dialog.resultTexts().rowCount();
    const double search = timedClick(app, dialog, "1025");
    const int found = dialog.resultTexts().rowCount();
    std::printf("dialog: 添加文件夹 %d rows in %.1f ms, 查找 %d rows in %.1f ms (scan included, until painted)\n",
                listed, addFolder, found, search);
    return listed > 0 ? 0 : 1;
}
