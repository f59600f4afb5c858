#include "contacts/ui/CNoteDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>

#include "common/CatalogueStatus.h"
#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"
#include "common/ui/MessageBoxSink.h"
#include "contacts/NoteRules.h"

namespace tapelink {

namespace {

constexpr const char* kReadFailed = "无法读取这条录音的备注！";
constexpr const char* kBadTag = "每个标签最多 20 个字，且不能含有括号！";
constexpr const char* kSaveFailed = "备注保存失败，请确认存档文件夹可以写入！";
constexpr const char* kSaveRefused = "您没有修改这条录音备注的权限，备注未保存！";
constexpr const char* kSaveConnectionLost = "与服务器的连接已断开，备注未保存，请稍后重试！";

// Characters as the user counts them: a character outside the basic plane is one, not two.
int typedCharacters(const QString& text) {
    return static_cast<int>(text.toUcs4().size());
}

}  // namespace

CNoteDlg::CNoteDlg(IRecordingNotes& notes, std::string fileName, IMessageSink* messages, QWidget* parent)
    : QDialog(parent),
      m_notes(notes),
      m_fileName(std::move(fileName)),
      m_ownSink(messages != nullptr ? nullptr : std::make_unique<MessageBoxSink>(this)),
      m_messages(messages != nullptr ? *messages : *m_ownSink) {
    setWindowTitle(QStringLiteral("备注 - ") + QString::fromStdString(m_fileName));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QApplication::windowIcon());
    setFont(dialogFont());
    setFixedSize(dialogUnits(260), dialogUnits(160));

    auto* noteLabel = new QLabel(QStringLiteral("备注："), this);
    noteLabel->move(dialogUnits(7), dialogUnits(7));
    noteLabel->adjustSize();
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("count"));
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_count->setGeometry(dialogRect(153, 5, 100, 10));

    m_note = new QPlainTextEdit(this);
    m_note->setObjectName(QStringLiteral("note"));
    m_note->setGeometry(dialogRect(7, 17, 246, 82));
    m_note->setTabChangesFocus(true);

    auto* tagsLabel = new QLabel(QStringLiteral("标签（用空格或逗号分开）："), this);
    tagsLabel->move(dialogUnits(7), dialogUnits(105));
    tagsLabel->adjustSize();
    m_tags = new QLineEdit(this);
    m_tags->setObjectName(QStringLiteral("tags"));
    m_tags->setGeometry(dialogRect(7, 116, 246, 13));

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setGeometry(dialogRect(149, 138, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CNoteDlg::accept);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setGeometry(dialogRect(203, 138, 50, 14));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CNoteDlg::reject);

    RecordingNote stored;
    if (m_notes.noteOf(m_fileName, stored) != CatalogueStatus::Ok) m_messages.showMessage(kReadFailed);
    m_note->setPlainText(QString::fromStdString(stored.text));
    QStringList tags;
    for (const std::string& tag : stored.tags) tags << QString::fromStdString(tag);
    m_tags->setText(tags.join(QLatin1Char(' ')));
    connect(m_note, &QPlainTextEdit::textChanged, this, &CNoteDlg::limitNote);
    limitNote();
    m_note->setFocus();
    m_note->moveCursor(QTextCursor::End);
}

CNoteDlg::~CNoteDlg() = default;

std::vector<std::string> CNoteDlg::tagsFromText(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[\\s,，、;；]+"));
    std::vector<std::string> tags;
    for (const QString& word : text.split(separators, Qt::SkipEmptyParts)) {
        std::string tag = word.toStdString();
        if (std::find(tags.begin(), tags.end(), tag) == tags.end()) tags.push_back(std::move(tag));
    }
    return tags;
}

void CNoteDlg::showLastEdit(const QString& user, const QString& time) {
    // Left of 确定, where the buttons' row has room.
    auto* label = new QLabel(QStringLiteral("最后修改：%1，%2").arg(user, time), this);
    label->setObjectName(QStringLiteral("lastEdit"));
    label->setGeometry(dialogRect(7, 140, 138, 10));
    label->show();
}

void CNoteDlg::limitNote() {
    QString text = m_note->toPlainText();
    if (typedCharacters(text) > kMaxNoteCharacters) {
        // Typing or pasting past the limit keeps the first characters; the cursor goes to the end.
        const QList<uint> kept = text.toUcs4().mid(0, kMaxNoteCharacters);
        text = QString::fromUcs4(reinterpret_cast<const char32_t*>(kept.constData()), kept.size());
        const QSignalBlocker quiet(m_note);
        m_note->setPlainText(text);
        m_note->moveCursor(QTextCursor::End);
    }
    m_count->setText(QStringLiteral("%1/%2").arg(typedCharacters(text)).arg(kMaxNoteCharacters));
}

void CNoteDlg::accept() {
    RecordingNote note;
    note.text = m_note->toPlainText().toStdString();
    note.tags = tagsFromText(m_tags->text());
    if (checkNote(note) == NoteProblem::BadTag) {
        m_messages.showMessage(kBadTag);
        m_tags->setFocus();
        return;
    }
    switch (m_notes.setNote(m_fileName, note)) {
        case CatalogueStatus::Ok:
            break;
        case CatalogueStatus::ReadOnly:
            m_messages.showMessage(kSaveRefused);
            return;
        case CatalogueStatus::ConnectionLost:
            m_messages.showMessage(kSaveConnectionLost);
            return;
        default:
            m_messages.showMessage(kSaveFailed);
            return;
    }
    QDialog::accept();
}

}  // namespace tapelink
