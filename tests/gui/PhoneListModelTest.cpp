#include <QSignalSpy>
#include <QtTest>

#include "app/ui/PhoneListModel.h"
#include "phone/PhoneListRow.h"

using namespace tapelink;

namespace {

std::vector<RecordingEntry> entries(int count) {
    std::vector<RecordingEntry> result;
    for (int i = 0; i < count; ++i) {
        RecordingEntry entry;
        entry.size = static_cast<std::uint64_t>(4532 + i);
        entry.fileName =
            (i % 2 == 0 ? "VOA" : "VOK") + QString::number(i).rightJustified(5, '0').toStdString() + ".WAV";
        entry.direction = i % 3 == 0 ? 'Z' : 'B';
        entry.phoneNumber = "0755" + std::to_string(i);
        entry.startKey = "1105180907";
        entry.folder = "/phone/voice/";
        result.push_back(entry);
    }
    return result;
}

}  // namespace

class PhoneListModelTest : public QObject {
    Q_OBJECT

private slots:
    void rowsShowTheFormattedTexts() {
        PhoneListModel model;
        const auto list = entries(10000);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        model.setEntries(list);
        QCOMPARE(resets.size(), 1);
        QCOMPARE(model.rowCount(QModelIndex()), 10000);
        QCOMPARE(model.columnCount(QModelIndex()), 10);  // the eight texts, the archive's mark, the name
        for (int row : {0, 1, 4999, 9999}) {
            const RecordingRow expected = phoneListRow(list[static_cast<std::size_t>(row)], row);
            for (int column = 0; column < 8; ++column) {
                QCOMPARE(model.data(model.index(row, column)).toString(),
                         QString::fromStdString(expected[static_cast<std::size_t>(column)]));
            }
        }
        QCOMPARE(model.cellText(9999, 0), std::string("10000"));
        QCOMPARE(model.entry(7).fileName, list[7].fileName);
        // A table has no children.
        QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    }

    void titlesAndOutOfRangeCells() {
        PhoneListModel model;
        model.setEntries(entries(2));
        QCOMPARE(model.columnTitle(7), std::string("文件长度"));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("录音类型"));
        QVERIFY(!model.headerData(0, Qt::Vertical).isValid());
        QCOMPARE(model.cellText(2, 0), std::string());
        QCOMPARE(model.cellText(0, 8), std::string());
        QCOMPARE(model.cellText(-1, 0), std::string());
        QCOMPARE(model.columnTitle(8), std::string());
        QVERIFY(!model.data(model.index(5, 0)).isValid());
    }

    void clearEmptiesTheList() {
        PhoneListModel model;
        model.setEntries(entries(3));
        model.clear();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(model.entries().empty());
        QCOMPARE(model.cellText(0, 0), std::string());
    }
};

QTEST_MAIN(PhoneListModelTest)
#include "PhoneListModelTest.moc"
