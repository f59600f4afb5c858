#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "common/IMessageSink.h"
#include "contacts/IRecordingNotes.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace tapelink {

// The note and tags of one archived recording: shown as stored when the dialog opens, stored again only
// when it is closed with 确定. Tags are typed on one line, separated by spaces or commas.
//
// Controls carry object names: "note" (the text), "tags", "count" (characters used), "1" 确定, "2" 取消;
// "lastEdit" once showLastEdit was called.
class CNoteDlg : public QDialog {
    Q_OBJECT

public:
    // Without a sink the dialog shows message boxes.
    CNoteDlg(IRecordingNotes& notes, std::string fileName, IMessageSink* messages = nullptr, QWidget* parent = nullptr);
    ~CNoteDlg() override;

    // The words of a tag line, each once, in the order typed.
    static std::vector<std::string> tagsFromText(const QString& text);
    // "最后修改：USER，TIME" under the tags, for a note that several people may edit.
    void showLastEdit(const QString& user, const QString& time);

public slots:
    void accept() override;

private:
    void limitNote();

    IRecordingNotes& m_notes;
    std::string m_fileName;
    std::unique_ptr<IMessageSink> m_ownSink;
    IMessageSink& m_messages;
    QPlainTextEdit* m_note = nullptr;
    QLineEdit* m_tags = nullptr;
    QLabel* m_count = nullptr;
};

}  // namespace tapelink
