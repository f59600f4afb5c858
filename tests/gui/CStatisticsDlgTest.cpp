// The statistics window: its chart drawn offscreen against the figures, and the window over a catalogue.
#include <QCheckBox>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include "platform/SqliteCatalogueOpener.h"
#include "statistics/ui/CStatisticsDlg.h"
#include "statistics/ui/CallChart.h"
#include "tests/support/CatalogueCall.h"
#include "tests/support/TempFolder.h"

using namespace tapelink;
using namespace tapelink::test;

namespace {

PeriodFigures period(const char* label, std::int64_t outgoing, std::int64_t incoming, std::int64_t local) {
    PeriodFigures figures;
    figures.label = label;
    figures.add(CallClass::Outgoing, outgoing, outgoing * 60);
    figures.add(CallClass::Incoming, incoming, incoming * 30);
    figures.add(CallClass::Local, local, local * 5);
    return figures;
}

// Ten seconds each: a 512-byte header, then 4000 bytes a second.
CatalogueRecord call(const std::string& name, char direction, const std::string& number, const std::string& start) {
    return catalogueCall(name, direction, number, start, 512 + 4000 * 10);
}

// A team server's figures: one call out and one in on 2 January 2025, whatever is asked.
class FixedTeamFigures : public ITeamCallFigures {
public:
    CatalogueStatus callFigures(const std::string& desk, const std::string& fromKey, const std::string& toKey,
                                CallFigureRows& out) override {
        asked = {desk, fromKey, toKey};
        out.days = {{"250102", CallClass::Outgoing, 1, 60}, {"250102", CallClass::Incoming, 1, 30}};
        out.numbers = {{"13900000009", true, 1, 60}};
        return CatalogueStatus::Ok;
    }
    std::vector<std::string> asked;
};

}  // namespace

class CStatisticsDlgTest : public QObject {
    Q_OBJECT
private slots:
    void barsStandForTheirPeriodsFigures() {
        CallChart chart;
        chart.resize(400, 240);
        chart.setPeriods({period("2025-01", 2, 1, 0), period("2025-02", 0, 0, 0), period("2025-03", 0, 0, 6)});
        const QImage image = chart.grab().toImage();

        const QRect first = chart.barRect(0);
        const QRect third = chart.barRect(2);
        QVERIFY(chart.barRect(1).isEmpty());
        QVERIFY(!first.isEmpty());
        // Heights in proportion to the counts (3 and 6), on one base line.
        QVERIFY(std::abs(third.height() - 2 * first.height()) <= 1);
        QCOMPARE(first.bottom(), third.bottom());
        for (int i = 0; i < 3; ++i) {
            const QRect column = i == 1 ? QRect(first.center().x() + (third.center().x() - first.center().x()) / 2,
                                                first.bottom() - 2, 1, 1)
                                        : chart.barRect(i);
            QCOMPARE(chart.periodAt(column.center()), i);
        }
        // From the bottom: two thirds 主叫, one third 被叫; the third bar all local.
        const auto colourAt = [&](int x, int y) { return image.pixelColor(x, y); };
        QCOMPARE(colourAt(first.center().x(), first.bottom() - first.height() / 3),
                 CallChart::classColour(CallClass::Outgoing));
        QCOMPARE(colourAt(first.center().x(), first.top() + first.height() / 6),
                 CallChart::classColour(CallClass::Incoming));
        QCOMPARE(colourAt(third.center().x(), third.center().y()), CallChart::classColour(CallClass::Local));
        // The empty period's column shows the background where a bar would stand.
        QCOMPARE(colourAt(first.center().x() + (third.center().x() - first.center().x()) / 2, first.center().y()),
                 chart.palette().base().color());

        const QString tip = chart.figuresText(0);
        QVERIFY2(tip.contains(QStringLiteral("共 3 次")) && tip.contains(QStringLiteral("时长 2分30秒")),
                 qPrintable(tip));
    }

    void windowShowsTheCatalogueFiguresAndAsksForANumbersSearch() {
        TempFolder folder;
        SqliteCatalogueOpener opener;
        {
            CatalogueOpening opening = opener.open(folder.path(), CatalogueAccess::ReadWrite);
            QVERIFY(opening.catalogue != nullptr);
            CatalogueChanges changes;
            changes.upserts = {call("VOA00001.WAV", 'Z', "13900000009", "2412311200"),
                               call("VOA00002.WAV", 'Z', "13900000009", "2501020800"),
                               call("VOA00003.WAV", 'B', "02100000001", "2501030800")};
            QCOMPARE(opening.catalogue->apply(changes), CatalogueStatus::Ok);
        }
        CStatisticsDlg window(opener, folder.path());
        QSignalSpy counted(&window, &CStatisticsDlg::counted);
        QVERIFY(counted.wait(5000));
        QCOMPARE(window.chart().periods().size(), 2u);  // December and January
        QCOMPARE(window.chart().periods()[1].count(), 2);
        QCOMPARE(window.statistics().totals.count(), 3);

        auto* called = window.findChild<QTableWidget*>(QStringLiteral("mostCalled"));
        QVERIFY(called != nullptr);
        QCOMPARE(called->rowCount(), 1);
        QCOMPARE(called->item(0, 0)->text(), QStringLiteral("13900000009"));
        QCOMPARE(called->item(0, 2)->text(), QStringLiteral("2"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy search(&window, &CStatisticsDlg::searchRequested);
        const QRect cell = called->visualItemRect(called->item(0, 0));
        // A double click is a press, a release and a second press that Qt reports as the double click.
        QTest::mousePress(called->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseRelease(called->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(called->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(search.count(), 1);
        QCOMPARE(search[0][0].toString(), QStringLiteral("13900000009"));
    }

    void teamArchiveIsCountedOnlyWhenChosen() {
        TempFolder folder;
        SqliteCatalogueOpener opener;
        CStatisticsDlg window(opener, folder.path());
        QSignalSpy counted(&window, &CStatisticsDlg::counted);
        QVERIFY(counted.wait(5000));
        QVERIFY(window.findChild<QCheckBox*>(QStringLiteral("team")) == nullptr);

        auto team = std::make_shared<FixedTeamFigures>();
        window.setTeamFigures(team);
        auto* choice = window.findChild<QCheckBox*>(QStringLiteral("team"));
        QVERIFY(choice != nullptr);
        QVERIFY(team->asked.empty());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(choice, Qt::LeftButton);
        QVERIFY(counted.wait(5000));
        QCOMPARE(team->asked, (std::vector<std::string>{"", "1003010000",
                                                        window.toDate().toString("yyMMdd").toStdString() + "2359"}));
        QCOMPARE(window.statistics().totals.count(), 2);
        QCOMPARE(window.statistics().numbers.size(), 1u);
    }
};

QTEST_MAIN(CStatisticsDlgTest)
#include "CStatisticsDlgTest.moc"
