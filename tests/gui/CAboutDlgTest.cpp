#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/ui/CAboutDlg.h"

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
        // The texts fit the box's width.
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* title = about.findChild<QLabel*>(QStringLiteral("aboutTitle"));
        QVERIFY(title->width() >= title->sizeHint().width());
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
