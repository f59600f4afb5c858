// Builds the program's windows over a telephone volume and saves a picture of each, with its caption
// drawn above it (a bare X server has no window manager to draw one). scripts/screenshot.sh runs it
// under Xvfb. A new dialog gets its picture by adding an entry to shots().
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QTest>
#include <cstdio>
#include <functional>
#include <iostream>
#include <vector>

#include "app/SettingsStore.h"
#include "app/ui/AppLook.h"
#include "app/ui/CAboutDlg.h"
#include "app/ui/CTapelinkDlg.h"
#include "phone/DeviceStatus.h"
#include "platform/LinuxDeviceLocator.h"

using namespace tapelink;

namespace {

class PrintedMessages : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon) override { std::cerr << "message: " << text << '\n'; }
};

// What every picture may use: the main window over the telephone, created once.
struct ShotContext {
    explicit ShotContext(const std::string& store) : locator(store) {}
    CTapelinkDlg& mainWindow() {
        if (!window) window = std::make_unique<CTapelinkDlg>(settings, locator, messages, FolderChooser{});
        return *window;
    }

    SettingsStore settings;
    LinuxDeviceLocator locator;
    PrintedMessages messages;
    std::unique_ptr<CTapelinkDlg> window;
};

QImage withCaption(QWidget& window) {
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    QApplication::processEvents();
    const QImage content = window.grab().toImage();
    const QFontMetrics metrics(window.font());
    const int captionHeight = metrics.height() + 10;
    QImage framed(content.width() + 2, content.height() + captionHeight + 1, QImage::Format_RGB32);
    framed.fill(QColor(40, 60, 130));
    QPainter painter(&framed);
    painter.drawPixmap(QRect(4, 3, captionHeight - 6, captionHeight - 6), window.windowIcon().pixmap(32, 32));
    painter.setPen(Qt::white);
    painter.setFont(window.font());
    painter.drawText(QRect(captionHeight + 2, 0, content.width() - captionHeight, captionHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    painter.drawImage(1, captionHeight, content);
    return framed;
}

QImage popupMenu(QMenu& menu, QWidget& owner) {
    menu.popup(owner.mapToGlobal(QPoint(20, 40)));
    QApplication::processEvents();
    const QImage image = menu.grab().toImage();
    menu.hide();
    return image;
}

struct Shot {
    const char* name;
    std::function<QImage(ShotContext&)> take;
};

std::vector<Shot> shots() {
    return {
        {"main-window", [](ShotContext& c) { return withCaption(c.mainWindow()); }},
        {"main-window-uploading",
         [](ShotContext& c) {
             CTapelinkDlg& window = c.mainWindow();
             const std::string status = window.statusText();
             window.setStatusText(std::string(kStatusUploadingPrefix) + window.listTexts().cellText(0, 1));
             window.progressBar()->setRange(0, 10);
             window.progressBar()->setValue(4);
             window.setProgressAreaShown(true);
             QImage image = withCaption(window);
             window.setProgressAreaShown(false);
             window.setStatusText(status);
             return image;
         }},
        {"menu-upload", [](ShotContext& c) { return popupMenu(*c.mainWindow().listPopup(), c.mainWindow()); }},
        {"about",
         [](ShotContext& c) {
             CAboutDlg about(&c.mainWindow());
             return withCaption(about);
         }},
    };
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER TELEPHONE_FOLDER\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    ShotContext context(argv[2]);
    int failures = 0;
    for (const Shot& shot : shots()) {
        const QString path = output + QLatin1Char('/') + QLatin1String(shot.name) + QStringLiteral(".png");
        if (!shot.take(context).save(path)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            ++failures;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return failures == 0 ? 0 : 1;
}
