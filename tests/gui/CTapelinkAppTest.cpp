#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <filesystem>

#include "app/ui/CTapelinkApp.h"
#include "app/ui/CTapelinkDlg.h"
#include "app/ui/CommandIds.h"
#include "phone/DeviceStatus.h"
#include "platform/SqliteCatalogueOpener.h"
#include "settings/InstanceLock.h"
#include "settings/SettingsRecord.h"
#include "tests/gui/GuiFixtures.h"
#include "tests/gui/ModalDriver.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

class CTapelinkAppTest : public QObject {
    Q_OBJECT

    SqliteCatalogueOpener m_catalogues;

private slots:
    void aSecondCopyIsRefused() {
        TempFolder folder;
        InstanceLock running(folder.path() + "lock");
        QVERIFY(running.tryAcquire());

        FakeLocator locator;
        CTapelinkApp app(locator, m_catalogues, folder.path() + "profile", folder.path() + "lock");
        QString text;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                box->accept();
            }
        });
        QVERIFY(!app.StartUp());
        QCOMPARE(text, QStringLiteral("录音电话管理软件不允许同时被运行多次！"));
        QCOMPARE(title, QStringLiteral("提示"));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(locator.calls, 0);
        QVERIFY(!std::filesystem::exists(folder.path() + "profile"));
    }

    void startUpRunsTheMainWindowOnTheStoredSettings() {
        TempFolder folder;
        const std::string profile = folder.path() + "Tapelink";
        std::filesystem::create_directory(profile);
        SettingsRecord record;
        record.setUploadFolder("/srv/录音");
        VolumeBuilder::writeBytes(profile + "/config.ini", {record.bytes.begin(), record.bytes.end()});
        buildPhone(folder.path() + "phone/", 3);

        FakeLocator locator;
        locator.root = folder.path() + "phone/";
        CTapelinkApp app(locator, m_catalogues, profile, folder.path() + "lock");
        std::string uploadFolder;
        QString caption;
        int rows = -1;
        // Looked at once the telephone's listing is shown.
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* window = qobject_cast<CTapelinkDlg*>(QApplication::activeModalWidget());
            if (window == nullptr || window->listingPending()) return;
            poll.stop();
            uploadFolder = window->settingsCopy().uploadFolder();
            caption = window->windowTitle();
            rows = window->listTexts().rowCount();
            window->action(cmd::kExit)->trigger();
        });
        poll.start(10);
        QVERIFY(!app.StartUp());
        QCOMPARE(uploadFolder, std::string("/srv/录音"));
        QCOMPARE(caption, QString::fromStdString(mainCaption(kStatusConnected)));
        QCOMPARE(rows, 3);
        // The application object keeps the lock for as long as it lives, which is the process's life.
        InstanceLock other(folder.path() + "lock");
        QVERIFY(!other.tryAcquire());
    }

    void aMissingProfileFolderIsCreated() {
        TempFolder folder;
        const std::string profile = folder.path() + "Tapelink";
        FakeLocator locator;
        CTapelinkApp app(locator, m_catalogues, profile, folder.path() + "lock");
        bool opened = false;
        QTimer::singleShot(0, this, [&] {
            if (auto* window = qobject_cast<CTapelinkDlg*>(QApplication::activeModalWidget())) {
                opened = window->settingsCopy().uploadFolder().empty();
                window->close();
            }
        });
        QVERIFY(!app.StartUp());
        QVERIFY(opened);
        QVERIFY(std::filesystem::is_directory(profile));
    }

    void theFolderPickerKeepsItsStateInTheProfileFolderOnly() {
        TempFolder folder;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder.path() + "config"));
        const std::string profile = folder.path() + "Tapelink";
        FakeLocator locator;
        CTapelinkApp app(locator, m_catalogues, profile, folder.path() + "lock");
        bool picked = false;
        QTimer::singleShot(0, this, [&] {
            if (auto* window = qobject_cast<CTapelinkDlg*>(QApplication::activeModalWidget())) {
                whenModal<QFileDialog>([](QFileDialog& picker) { picker.reject(); }, &picked);
                window->action(cmd::kUploadFolder)->trigger();
                window->close();
            }
        });
        QVERIFY(!app.StartUp());
        QVERIFY(picked);
        QVERIFY(!std::filesystem::exists(folder.path() + "config/QtProject.conf"));
        QVERIFY(std::filesystem::exists(profile + "/QtProject.conf"));
    }
};

QTEST_MAIN(CTapelinkAppTest)
#include "CTapelinkAppTest.moc"
