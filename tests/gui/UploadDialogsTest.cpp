#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "phone/ui/CCategoryUploadDlg.h"
#include "phone/ui/COverwriteDlg.h"

using namespace tapelink;

namespace {

template <typename T>
T* child(QWidget& parent, const char* id) {
    return parent.findChild<T*>(QString::fromLatin1(id));
}

std::chrono::year_month_day ymd(const QDate& date) {
    return std::chrono::year{date.year()} / static_cast<unsigned>(date.month()) / static_cast<unsigned>(date.day());
}

}  // namespace

class UploadDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void overwritePromptShowsTextAndButtonsWhereTheTemplatePutsThem();
    void aLongFolderIsShortenedSoTheNameAndQuestionShow();
    void eachOverwriteButtonGivesItsDecision();
    void escapeAndTheCloseBoxAnswerNo();
    void askRunsThePromptModally();
    void categoryDialogStartsOnDateWithTodayAndAnEmptyNumber();
    void confirmingByNumberStoresBothCriteria();
    void confirmingByDateUsesTheDateEvenWithANumberTyped();
    void closingTheCategoryDialogStoresNothing();
};

void UploadDialogsTest::overwritePromptShowsTextAndButtonsWhereTheTemplatePutsThem() {
    const QString text = QStringLiteral("/home/u/up/VOA00001.WAV 文件已经存在，是否覆盖？");
    COverwriteDlg dialog(text);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("提示"));
    QCOMPARE(dialog.size(), QSize(281, 141));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    auto* label = child<QLabel>(dialog, "1056");
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    // The template's place and width; the text starts at the top and may use the room down to the buttons.
    QCOMPARE(label->geometry(), QRect(47, 26, 182, 60));
    QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
    const char* ids[] = {"1", "1053", "1054", "1055"};
    const QString captions[] = {"是(&Y)", "全是(&A)", "否(&N)", "全否(&C)"};
    const int xs[] = {18, 83, 147, 212};
    for (int i = 0; i < 4; ++i) {
        auto* button = child<QPushButton>(dialog, ids[i]);
        QVERIFY2(button, ids[i]);
        QCOMPARE(button->text(), captions[i]);
        QCOMPARE(button->geometry(), QRect(xs[i], 92, 53, 21));
        QCOMPARE(button->isDefault(), i == 0);
    }
}

void UploadDialogsTest::aLongFolderIsShortenedSoTheNameAndQuestionShow() {
    const QString folder = QStringLiteral("/home/user/") + QString(89, QLatin1Char('d')) + QLatin1Char('/');
    const QString text = folder + QStringLiteral("VOB00010.WAV 文件已经存在，是否覆盖？");
    COverwriteDlg dialog(text);
    dialog.show();
    auto* label = child<QLabel>(dialog, "1056");
    QCOMPARE(label->toolTip(), text);
    const QString shown = label->text();
    QVERIFY2(shown.startsWith(QStringLiteral("/home/")) && shown.contains(QStringLiteral("…")), qPrintable(shown));
    QVERIFY2(shown.endsWith(QStringLiteral("/VOB00010.WAV 文件已经存在，是否覆盖？")), qPrintable(shown));
    const QRect room = label->contentsRect();
    const QRect needed = label->fontMetrics().boundingRect(room, Qt::AlignLeft | Qt::TextWordWrap, shown);
    QVERIFY(needed.width() <= room.width() && needed.height() <= room.height());
}

void UploadDialogsTest::eachOverwriteButtonGivesItsDecision() {
    const std::pair<const char*, OverwriteDecision> cases[] = {{"1", OverwriteDecision::Yes},
                                                               {"1053", OverwriteDecision::YesToAll},
                                                               {"1054", OverwriteDecision::No},
                                                               {"1055", OverwriteDecision::NoToAll}};
    for (const auto& [id, decision] : cases) {
        COverwriteDlg dialog(QStringLiteral("x"));
        dialog.show();
        QCOMPARE(dialog.decision(), OverwriteDecision::Pending);
        QTest::mouseClick(child<QPushButton>(dialog, id), Qt::LeftButton);
        QCOMPARE(dialog.decision(), decision);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
    }
    COverwriteDlg dialog(QStringLiteral("x"));
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);  // the default button
    QCOMPARE(dialog.decision(), OverwriteDecision::Yes);
}

void UploadDialogsTest::escapeAndTheCloseBoxAnswerNo() {
    COverwriteDlg escaped(QStringLiteral("x"));
    escaped.show();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QCOMPARE(escaped.decision(), OverwriteDecision::No);
    QCOMPARE(escaped.result(), int(QDialog::Rejected));

    COverwriteDlg closed(QStringLiteral("x"));
    closed.show();
    QVERIFY(closed.close());
    QCOMPARE(closed.decision(), OverwriteDecision::No);
}

void UploadDialogsTest::askRunsThePromptModally() {
    QTimer::singleShot(0, this, [] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("1055")), Qt::LeftButton);
    });
    QCOMPARE(COverwriteDlg::ask(QStringLiteral("x"), nullptr), OverwriteDecision::NoToAll);
}

void UploadDialogsTest::categoryDialogStartsOnDateWithTodayAndAnEmptyNumber() {
    CategoryCriteria criteria{"13800138000", std::chrono::year{2001} / 2 / 3};
    CCategoryUploadDlg dialog(criteria);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("分类上传"));
    QCOMPARE(dialog.size(), QSize(308, 152));
    QVERIFY(child<QRadioButton>(dialog, "1047")->isChecked());
    QVERIFY(!child<QRadioButton>(dialog, "1048")->isChecked());
    QCOMPARE(child<QRadioButton>(dialog, "1048")->text(), QStringLiteral("按电话号码上传"));
    auto* date = child<QDateEdit>(dialog, "1049");
    QCOMPARE(date->date(), QDate::currentDate());
    QCOMPARE(date->displayFormat(), QStringLiteral("yyyy年M月d日"));
    QVERIFY(date->calendarPopup());
    auto* number = child<QLineEdit>(dialog, "1050");
    QVERIFY(number->text().isEmpty());
    QCOMPARE(number->maxLength(), 16);
    QCOMPARE(child<QPushButton>(dialog, "1")->text(), QStringLiteral("上传"));
    QVERIFY(child<QPushButton>(dialog, "1")->isDefault());
    QCOMPARE(child<QPushButton>(dialog, "2")->text(), QStringLiteral("关闭"));
    QCOMPARE(child<QPushButton>(dialog, "2")->geometry(), QRect(188, 107, 75, 21));
}

void UploadDialogsTest::confirmingByNumberStoresBothCriteria() {
    CategoryCriteria criteria;
    CCategoryUploadDlg dialog(criteria);
    dialog.show();
    QTest::mouseClick(child<QRadioButton>(dialog, "1048"), Qt::LeftButton);
    QTest::keyClicks(child<QLineEdit>(dialog, "1050"), QStringLiteral("12345678901234567"));
    child<QDateEdit>(dialog, "1049")->setDate(QDate(2011, 5, 18));
    QTest::mouseClick(child<QPushButton>(dialog, "1"), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.choice(), CategoryChoice::ByNumber);
    QCOMPARE(criteria.numberText, std::string("1234567890123456"));
    QVERIFY(criteria.date == ymd(QDate(2011, 5, 18)));
}

void UploadDialogsTest::confirmingByDateUsesTheDateEvenWithANumberTyped() {
    CategoryCriteria criteria;
    QTimer::singleShot(0, this, [] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        QTest::keyClicks(modal->findChild<QLineEdit*>(QStringLiteral("1050")), QStringLiteral("138"));
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("1")), Qt::LeftButton);
    });
    const auto choice = CCategoryUploadDlg::ask(criteria, nullptr);
    QVERIFY(choice.has_value());
    QCOMPARE(*choice, CategoryChoice::ByDate);
    QCOMPARE(criteria.numberText, std::string("138"));
    QVERIFY(criteria.date == ymd(QDate::currentDate()));
}

void UploadDialogsTest::closingTheCategoryDialogStoresNothing() {
    const CategoryCriteria before{"555", std::chrono::year{2010} / 1 / 1};
    CategoryCriteria criteria = before;
    QTimer::singleShot(0, this, [] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        QTest::keyClicks(modal->findChild<QLineEdit*>(QStringLiteral("1050")), QStringLiteral("999"));
        QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("2")), Qt::LeftButton);
    });
    QVERIFY(!CCategoryUploadDlg::ask(criteria, nullptr).has_value());
    QVERIFY(criteria == before);

    CCategoryUploadDlg escaped(criteria);
    escaped.show();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QCOMPARE(escaped.result(), int(QDialog::Rejected));
    QVERIFY(criteria == before);
}

QTEST_MAIN(UploadDialogsTest)
#include "UploadDialogsTest.moc"
