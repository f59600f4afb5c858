#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/ui/CAboutDlg.h"
#include "common/ui/DialogUnits.h"

using namespace tapelink;

class CAboutDlgTest : public QObject {
    Q_OBJECT

private slots:
    void showsNameVersionAndIcon() {
        CAboutDlg about;
        QCOMPARE(about.objectName(), QStringLiteral("133"));
        QCOMPARE(about.windowTitle(), QStringLiteral("Quorvalent Velmo录音电话软件"));
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("aboutTitle"))->text(),
                 QStringLiteral("Velmo录音电话-PC管理软件  版本 1.02.000"));
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("aboutDetail"))->text().isEmpty());
        QVERIFY(!about.findChild<QLabel*>(QStringLiteral("aboutIcon"))->pixmap().isNull());
        QVERIFY(!about.windowIcon().isNull());
        QCOMPARE(about.font().family(), QStringLiteral("宋体"));
        auto* ok = about.findChild<QPushButton*>(QStringLiteral("1"));
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        QVERIFY(ok->isDefault());
    }

    void keepsItsSizeAndShowsEachTextWhole() {
        CAboutDlg about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.size(), dialogRect(0, 0, 223, 94).size());
        const QRect ok = about.findChild<QPushButton*>(QStringLiteral("1"))->geometry();
        for (const char* name : {"aboutTitle", "aboutDetail"}) {
            auto* label = about.findChild<QLabel*>(QString::fromLatin1(name));
            // Whole: as wide and as high as its lines need, inside the box, clear of the button.
            const QRect needed = label->fontMetrics().boundingRect(QRect(), Qt::AlignLeft, label->text());
            QVERIFY2(label->contentsRect().width() >= needed.width(), name);
            QVERIFY2(label->contentsRect().height() >= needed.height(), name);
            QVERIFY2(about.rect().contains(label->geometry()), name);
            QVERIFY2(!label->geometry().intersects(ok), name);
        }
    }

    void closesWithOkEnterAndEsc() {
        for (const auto how : {0, 1, 2}) {
            CAboutDlg about;
            about.show();
            QVERIFY(QTest::qWaitForWindowExposed(&about));
            if (how == 0) QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
            if (how == 1) QTest::keyClick(&about, Qt::Key_Return);
            if (how == 2) QTest::keyClick(&about, Qt::Key_Escape);
            QVERIFY2(!about.isVisible(), qPrintable(QString::number(how)));
        }
    }
};

QTEST_MAIN(CAboutDlgTest)
#include "CAboutDlgTest.moc"
