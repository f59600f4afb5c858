#include "contacts/ui/CPhonebookDlg.h"

#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>

#include "common/CatalogueStatus.h"
#include "common/ui/DialogFont.h"
#include "common/ui/DialogUnits.h"
#include "common/ui/MessageBoxSink.h"
#include "contacts/ui/CContactDlg.h"
#include "contacts/ui/ContactFileChooser.h"

namespace tapelink {

namespace {

constexpr const char* kSelectToEdit = "请先选择一个要编辑的联系人！";
constexpr const char* kSelectToRemove = "请先选择要删除的联系人！";
constexpr const char* kSaveFailed = "联系人无法保存，请确认存档文件夹可以写入！";
constexpr const char* kReadFailed = "无法读取存档中的联系人！";
constexpr const char* kFileUnreadable = "无法读取这个文件！";
constexpr const char* kExportFailed = "联系人无法导出到这个文件！";
constexpr int kSkippedShown = 20;

struct ListColumn {
    const char* title;
    int width;  // pixels; the last column takes what is left
};
constexpr ListColumn kColumns[] = {{"姓名", 100}, {"电话号码", 200}, {"单位", 0}};

QString numbersText(const Contact& contact) {
    QStringList numbers;
    for (const std::string& number : contact.numbers) numbers << QString::fromStdString(number);
    return numbers.join(QStringLiteral(", "));
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

CPhonebookDlg::CPhonebookDlg(IPhonebook& phonebook, ContactFileFormats formats, std::string exportFolder,
                             IMessageSink* messages, IContactFileChooser* chooser, QWidget* parent)
    : QDialog(parent),
      m_phonebook(phonebook),
      m_formats(std::move(formats)),
      m_exportFolder(std::move(exportFolder)),
      m_ownSink(messages != nullptr ? nullptr : std::make_unique<MessageBoxSink>(this)),
      m_ownChooser(chooser != nullptr ? nullptr : std::make_unique<ContactFileChooser>()),
      m_messages(messages != nullptr ? *messages : *m_ownSink),
      m_chooser(chooser != nullptr ? *chooser : *m_ownChooser) {
    setWindowTitle(QStringLiteral("联系人"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QApplication::windowIcon());
    setFont(dialogFont());
    setFixedSize(dialogUnits(360), dialogUnits(220));
    buildControls();
    reload();
}

CPhonebookDlg::~CPhonebookDlg() = default;

void CPhonebookDlg::buildControls() {
    m_list = new QTableWidget(0, static_cast<int>(std::size(kColumns)), this);
    m_list->setObjectName(QStringLiteral("list"));
    m_list->setGeometry(dialogRect(7, 7, 290, 206));
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    m_list->setShowGrid(true);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(listRowHeight(font()));
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setSectionsClickable(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
        m_list->setHorizontalHeaderItem(column, new QTableWidgetItem(QString::fromUtf8(kColumns[column].title)));
        if (kColumns[column].width > 0) m_list->setColumnWidth(column, kColumns[column].width);
    }
    // Queued: editing refills the list, which must not happen inside the list's own double-click.
    connect(m_list, &QTableWidget::cellDoubleClicked, this,
            [this] { QTimer::singleShot(0, this, &CPhonebookDlg::editContact); });

    const auto button = [this](const char* name, const char* caption, int y) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(dialogRect(303, y, 50, 14));
        b->setAutoDefault(false);
        return b;
    };
    connect(button("add", "添加…", 7), &QPushButton::clicked, this, &CPhonebookDlg::addContact);
    connect(button("edit", "编辑…", 25), &QPushButton::clicked, this, &CPhonebookDlg::editContact);
    connect(button("remove", "删除", 43), &QPushButton::clicked, this, &CPhonebookDlg::removeContacts);
    connect(button("import", "导入…", 71), &QPushButton::clicked, this, &CPhonebookDlg::importFile);
    connect(button("export", "导出…", 89), &QPushButton::clicked, this, &CPhonebookDlg::exportFile);
    connect(button("2", "关闭", 199), &QPushButton::clicked, this, &CPhonebookDlg::reject);
}

void CPhonebookDlg::reload(std::int64_t selectId) {
    std::vector<Contact> contacts;
    if (m_phonebook.contacts(contacts) != CatalogueStatus::Ok) m_messages.showMessage(kReadFailed);
    // In the order of the Chinese reading of the names, as people look names up.
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    std::stable_sort(contacts.begin(), contacts.end(), [&collator](const Contact& a, const Contact& b) {
        return collator.compare(QString::fromStdString(a.name), QString::fromStdString(b.name)) < 0;
    });
    m_contacts = std::move(contacts);
    m_list->clearSelection();
    m_list->setRowCount(static_cast<int>(m_contacts.size()));
    for (int row = 0; row < static_cast<int>(m_contacts.size()); ++row) {
        const Contact& contact = m_contacts[static_cast<std::size_t>(row)];
        m_list->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(contact.name)));
        m_list->setItem(row, 1, new QTableWidgetItem(numbersText(contact)));
        m_list->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(contact.company)));
        if (selectId != 0 && contact.id == selectId) {
            m_list->selectRow(row);
            m_list->scrollToItem(m_list->item(row, 0));
        }
    }
}

std::vector<int> CPhonebookDlg::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CPhonebookDlg::saved(CatalogueStatus status) {
    if (status == CatalogueStatus::Ok) return true;
    m_messages.showMessage(kSaveFailed);
    return false;
}

void CPhonebookDlg::addContact() {
    Contact contact;
    CContactDlg dialog(contact, m_messages, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (saved(m_phonebook.save(contact))) emit contactsChanged();
    reload(contact.id);
}

void CPhonebookDlg::editContact() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        m_messages.showMessage(kSelectToEdit);
        return;
    }
    Contact contact = m_contacts[static_cast<std::size_t>(rows.front())];
    CContactDlg dialog(contact, m_messages, this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (saved(m_phonebook.save(contact))) emit contactsChanged();
    reload(contact.id);
}

void CPhonebookDlg::removeContacts() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        m_messages.showMessage(kSelectToRemove);
        return;
    }
    bool removed = false;
    for (const int row : rows) {
        if (!saved(m_phonebook.remove(m_contacts[static_cast<std::size_t>(row)].id))) break;
        removed = true;
    }
    if (removed) emit contactsChanged();
    reload();
}

void CPhonebookDlg::importFile() {
    const QString path = m_chooser.chooseImportFile(this);
    if (path.isEmpty() || !m_formats.read) return;
    const ContactFileRead read = m_formats.read(localPath(path));
    if (!read.opened) {
        m_messages.showMessage(kFileUnreadable);
        return;
    }
    ContactImportCounts counts;
    if (!saved(m_phonebook.import(read.contacts, counts))) return;
    reload();
    if (counts.added + counts.updated > 0) emit contactsChanged();
    QString text = QStringLiteral("导入完毕。\n新增 %1 个联系人，更新 %2 个，%3 个没有变化。")
                       .arg(counts.added)
                       .arg(counts.updated)
                       .arg(counts.unchanged);
    if (!read.skipped.empty()) {
        text += QStringLiteral("\n\n以下内容无法读取，已跳过：");
        for (std::size_t i = 0; i < read.skipped.size() && i < kSkippedShown; ++i)
            text += QStringLiteral("\n  ") + QString::fromStdString(read.skipped[i]);
        if (read.skipped.size() > kSkippedShown) text += QStringLiteral("\n  ……（共 %1 处）").arg(read.skipped.size());
    }
    m_messages.showMessage(text.toStdString(), read.skipped.empty() ? MessageIcon::Information : MessageIcon::Warning);
}

void CPhonebookDlg::exportFile() {
    const QString folder = QFile::decodeName(QByteArray::fromStdString(m_exportFolder));
    const QDir start(folder.isEmpty() ? QDir::homePath() : folder);
    const QString path = m_chooser.chooseExportFile(this, start.filePath(QStringLiteral("联系人.csv")));
    if (path.isEmpty() || !m_formats.writeCsv) return;
    if (!m_formats.writeCsv(localPath(path), m_contacts)) m_messages.showMessage(kExportFailed);
}

}  // namespace tapelink
