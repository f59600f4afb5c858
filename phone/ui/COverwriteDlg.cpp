#include "phone/ui/COverwriteDlg.h"
#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace tapelink {

namespace {

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// The prompt as it fits the room: the target's folder is shortened in the middle with "…" until the
// file name and the question show whole. A path without blanks cannot wrap, so a long folder would
// otherwise push the question out of sight.
QString fittedPrompt(const QString& prompt, const QFontMetrics& metrics, const QRect& room) {
    const auto fits = [&](const QString& text) {
        const QRect needed = metrics.boundingRect(room, kTextFlags, text);
        return needed.width() <= room.width() && needed.height() <= room.height();
    };
    if (fits(prompt)) return prompt;
    const qsizetype nameStart = prompt.lastIndexOf(QLatin1Char('/')) + 1;
    const QString folder = prompt.left(nameStart);
    const QString nameAndQuestion = prompt.mid(nameStart);
    const int step = std::max(1, metrics.averageCharWidth());
    for (int width = metrics.horizontalAdvance(folder) - step; width > 0; width -= step) {
        const QString shown = metrics.elidedText(folder, Qt::ElideMiddle, width) + nameAndQuestion;
        if (fits(shown)) return shown;
    }
    return QStringLiteral("…") + nameAndQuestion;
}

}  // namespace

COverwriteDlg::COverwriteDlg(const QString& promptText, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("138"));
    setWindowTitle(QStringLiteral("提示"));
    setFont(dialogFont());
    setWindowIcon(QApplication::windowIcon());
    setFixedSize(dialogUnits(187), dialogUnits(94));

    auto* text = new QLabel(this);
    text->setObjectName(QStringLiteral("1056"));
    // A long target path wraps onto more lines than the template's 23 units hold with a stand-in font:
    // the text starts at the top and may use the room down to the buttons.
    text->setGeometry(dialogRect(31, 17, 121, 40));
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setWordWrap(true);
    text->setText(fittedPrompt(promptText, text->fontMetrics(), text->contentsRect()));
    text->setToolTip(promptText);

    struct ButtonSpec {
        const char* id;
        const char* caption;
        int x;
        OverwriteDecision decision;
    };
    static constexpr ButtonSpec kButtons[] = {
        {"1", "是(&Y)", 12, OverwriteDecision::Yes},
        {"1053", "全是(&A)", 55, OverwriteDecision::YesToAll},
        {"1054", "否(&N)", 98, OverwriteDecision::No},
        {"1055", "全否(&C)", 141, OverwriteDecision::NoToAll},
    };
    for (const ButtonSpec& choice : kButtons) {
        auto* button = new QPushButton(QString::fromUtf8(choice.caption), this);
        button->setObjectName(QString::fromLatin1(choice.id));
        button->setGeometry(dialogRect(choice.x, 61, 35, 14));
        const OverwriteDecision decision = choice.decision;
        connect(button, &QPushButton::clicked, this, [this, decision] { decide(decision); });
        if (decision == OverwriteDecision::Yes) {
            button->setDefault(true);
            button->setFocus();
        }
    }
}

OverwriteDecision COverwriteDlg::ask(const QString& promptText, QWidget* parent) {
    COverwriteDlg dialog(promptText, parent);
    dialog.exec();
    return dialog.decision();
}

void COverwriteDlg::decide(OverwriteDecision decision) {
    m_decision = decision;
    accept();
}

void COverwriteDlg::reject() {
    if (m_decision == OverwriteDecision::Pending) m_decision = OverwriteDecision::No;
    QDialog::reject();
}

}  // namespace tapelink
