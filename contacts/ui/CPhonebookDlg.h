#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/IMessageSink.h"
#include "contacts/Contact.h"
#include "contacts/IPhonebook.h"
#include "contacts/ui/ContactFileFormats.h"
#include "contacts/ui/IContactFileChooser.h"

class QTableWidget;

namespace tapelink {

// The phonebook of the upload folder's archive: the contacts with their numbers and companies, and the
// commands to add, edit, delete, import (CSV or vCard) and export (CSV) them. Every change goes to the
// phonebook at once; contactsChanged() tells the owner that the names shown elsewhere are out of date.
//
// Controls carry object names: "list", "add", "edit", "remove", "import", "export", "2" 关闭.
class CPhonebookDlg : public QDialog {
    Q_OBJECT

public:
    // Without a sink or chooser the dialog shows message boxes and the program's file dialogs.
    // exportFolder is where the export's file dialog starts.
    CPhonebookDlg(IPhonebook& phonebook, ContactFileFormats formats, std::string exportFolder,
                  IMessageSink* messages = nullptr, IContactFileChooser* chooser = nullptr, QWidget* parent = nullptr);
    ~CPhonebookDlg() override;

    const std::vector<Contact>& contacts() const { return m_contacts; }

public slots:
    void addContact();
    void editContact();
    void removeContacts();
    void importFile();
    void exportFile();

signals:
    void contactsChanged();

private:
    void buildControls();
    // Reads the phonebook again and shows it, keeping the contact with id selected.
    void reload(std::int64_t selectId = 0);
    std::vector<int> selectedRows() const;
    bool saved(CatalogueStatus status);

    IPhonebook& m_phonebook;
    ContactFileFormats m_formats;
    std::string m_exportFolder;
    std::unique_ptr<IMessageSink> m_ownSink;
    std::unique_ptr<IContactFileChooser> m_ownChooser;
    IMessageSink& m_messages;
    IContactFileChooser& m_chooser;
    std::vector<Contact> m_contacts;
    QTableWidget* m_list = nullptr;
};

}  // namespace tapelink
