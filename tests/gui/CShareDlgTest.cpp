#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "platform/LibraryShareTools.h"
#include "platform/SndfileWavEncoder.h"
#include "sharing/ui/CShareDlg.h"
#include "tests/support/SyntheticSpeech.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

class ListSink : public IMessageSink {
public:
    void showMessage(const std::string& text, MessageIcon) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

}  // namespace

class CShareDlgTest : public QObject {
    Q_OBJECT

private:
    ShareItem recording(const std::string& name, bool decodable) {
        const std::string path = m_archive.path() + name;
        const RecordingInfo info = VolumeBuilder::info('Z', "13800138000", 26, 3, 1, 9, 30);
        if (decodable) {
            SndfileWavEncoder().writeRecording(path, info, SyntheticSpeech().tone(1.0).audio().samples);
        } else {
            VolumeBuilder::writeRecording(path, info);
        }
        return {path, addedFileRow(path, 0).value()};
    }

    TempFolder m_archive;
    TempFolder m_out;
    LibraryShareTools m_tools;

private slots:
    void sharesOnTheWorkerAndThenMakesTheOffer() {
        const std::string zip = m_out.path() + "分享.zip";
        ListSink messages;
        CShareDlg dialog({recording("VOA00001.WAV", true), recording("VOA00002.WAV", true)}, {m_archive.path()},
                         m_tools, nullptr, &messages);
        std::optional<ShareReport> offered;
        dialog.setOffer([&offered](const ShareReport& report, const SharePlan&, QWidget*) { offered = report; });
        dialog.show();
        dialog.findChild<QLineEdit*>("target")->setText(QString::fromStdString(zip));
        QTest::mouseClick(dialog.findChild<QPushButton*>("share"), Qt::LeftButton);
        QTRY_VERIFY(offered.has_value());
        QCOMPARE(offered->names.size(), std::size_t(2));
        QCOMPARE(offered->size, static_cast<std::uint64_t>(fs::file_size(zip)));
        QVERIFY(messages.texts.empty());
        QVERIFY(!dialog.isVisible());
    }

    void aFailureIsToldAndTheDialogStaysForAnotherTry() {
        const std::string zip = m_out.path() + "坏.zip";
        ListSink messages;
        CShareDlg dialog({recording("VOA00003.WAV", true), recording("VOA00004.WAV", false)}, {}, m_tools, nullptr,
                         &messages);
        bool offered = false;
        dialog.setOffer([&offered](const ShareReport&, const SharePlan&, QWidget*) { offered = true; });
        dialog.show();
        dialog.findChild<QLineEdit*>("target")->setText(QString::fromStdString(zip));
        auto* share = dialog.findChild<QPushButton*>("share");
        QTest::mouseClick(share, Qt::LeftButton);
        QTRY_COMPARE(messages.texts.size(), std::size_t(1));
        QVERIFY(messages.texts[0].find("VOA00004.WAV") != std::string::npos);
        QVERIFY(!offered);
        QVERIFY(!fs::exists(zip));
        QVERIFY(dialog.isVisible());
        QVERIFY(share->isEnabled());
    }
};

QTEST_MAIN(CShareDlgTest)
#include "CShareDlgTest.moc"
