#include "cli/ContactsCommand.h"

#include <iostream>

#include "cli/ArchiveAccess.h"
#include "cli/CellText.h"
#include "cli/NonBlank.h"
#include "cli/ValueChecks.h"
#include "contacts/ContactDirectory.h"
#include "contacts/ContactFileIo.h"
#include "contacts/PhonebookTexts.h"

namespace tapelink::cli {

namespace {

constexpr const char* kReadFailed = "联系人读取失败！";

std::string joined(const std::vector<std::string>& numbers) {
    std::string text;
    for (const std::string& number : numbers) text += (text.empty() ? "" : ",") + number;
    return text;
}

// A phonebook status as the user reads it; true when all went well.
bool told(CatalogueStatus status, IMessageSink& messages, const char* failure) {
    if (status == CatalogueStatus::Ok) return true;
    messages.showMessage(status == CatalogueStatus::ReadOnly ? kPhonebookReadOnly : failure, MessageIcon::Warning);
    return false;
}

}  // namespace

ContactsCommand::ContactsCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("contacts", "The phonebook kept in the archive's catalogue")),
      m_context(context) {
    m_command->require_subcommand(1);
    m_command->add_option("--archive", m_archive, "Archive folder (default: the stored upload folder)");
    // "contacts list --archive DIR" as well as "contacts --archive DIR list".
    m_command->fallthrough();
    m_list = m_command->add_subcommand("list", "Print each contact: name, numbers, company (tab-separated)");
    m_list->add_flag("--json", m_json, "Print the contacts as a JSON array of {name, numbers, company}");
    m_import = m_command->add_subcommand("import", "Add the contacts of a CSV or vCard file (re-importing updates)");
    m_import->add_option("FILE", m_file, "CSV or vCard (.vcf) file")->required();
    m_import->add_option("--name-column", m_nameColumn, "CSV column of the name (1 = first)")->check(numberAtLeast(1));
    m_import->add_option("--number-column", m_numberColumns, "CSV column of a number (repeatable)")
        ->check(numberAtLeast(1));
    m_import->add_option("--company-column", m_companyColumn, "CSV column of the company")->check(numberAtLeast(1));
    m_export = m_command->add_subcommand("export", "Write the phonebook as a CSV file (UTF-8)");
    m_export->add_option("FILE", m_file, "CSV file to write")->required()->check(nonBlank());
    m_add = m_command->add_subcommand("add", "Add a contact, or numbers to the contact of that name");
    m_add->add_option("NAME", m_name, "Name")->required()->check(nonBlank());
    m_add->add_option("NUMBER", m_numbers, "Phone numbers")->required();
    m_add->add_option("--company", m_company, "Company");
    m_remove = m_command->add_subcommand("remove", "Remove the contact of that name");
    m_remove->add_option("NAME", m_name, "Name")->required()->check(nonBlank());
}

int ContactsCommand::run() {
    const std::string folder = archiveFolderOr(m_archive);
    if (folder.empty()) {
        std::cerr << "没有上传路径：请用 --archive DIR 指定，或先在窗口中选择一个。\n";
        return kExitUsage;
    }
    if (m_list->parsed()) return list(folder);
    if (m_import->parsed()) return importFile(folder);
    if (m_export->parsed()) return exportFile(folder);
    if (m_add->parsed()) return add(folder);
    return remove(folder);
}

int ContactsCommand::list(const std::string& folder) {
    const OpenArchive archive =
        openCatalogue(*m_context.catalogues, folder, CatalogueAccess::ReadOnly, m_context.messages);
    if (m_context.messages.anyShown()) return kExitMessage;
    std::vector<Contact> contacts;
    if (archive.phonebook && !told(archive.phonebook->contacts(contacts), m_context.messages, kReadFailed)) {
        return kExitMessage;
    }
    if (m_json) {
        auto array = nlohmann::ordered_json::array();
        for (const Contact& contact : contacts) {
            nlohmann::ordered_json numbers = nlohmann::ordered_json::array();
            for (const std::string& number : contact.numbers) numbers.push_back(cellText(number));
            array.push_back(
                {{"name", cellText(contact.name)}, {"numbers", numbers}, {"company", cellText(contact.company)}});
        }
        printJson(array);
        return kExitOk;
    }
    std::string out;
    for (const Contact& contact : contacts) {
        out +=
            cellText(contact.name) + '\t' + cellText(joined(contact.numbers)) + '\t' + cellText(contact.company) + '\n';
    }
    std::cout << out;
    return kExitOk;
}

int ContactsCommand::importFile(const std::string& folder) {
    ContactCsvColumns columns{m_nameColumn - 1, {}, m_companyColumn - 1};
    for (const int column : m_numberColumns) columns.numbers.push_back(column - 1);
    ContactFileContents contents;
    const ContactFileStatus read = readContactFile(m_file, columns, contents);
    if (read != ContactFileStatus::Ok) {
        m_context.messages.showMessage(
            (read == ContactFileStatus::TooLarge ? "文件过大，不是联系人文件：" : "无法读取文件：") + cellText(m_file),
            MessageIcon::Warning);
        return kExitMessage;
    }
    for (const SkippedLine& skip : contents.skipped) {
        std::cerr << cellText(m_file) << ':' << skip.line << ": 已跳过：" << skip.reason << '\n';
    }
    if (contents.skippedCount > static_cast<int>(contents.skipped.size())) {
        std::cerr << cellText(m_file) << ": 另有 " << contents.skippedCount - static_cast<int>(contents.skipped.size())
                  << " 处已跳过\n";
    }
    const OpenArchive archive =
        openCatalogue(*m_context.catalogues, folder, CatalogueAccess::ReadWrite, m_context.messages);
    if (!archive.phonebook) {
        if (!m_context.messages.anyShown()) m_context.messages.showMessage(kPhonebookReadOnly, MessageIcon::Warning);
        return kExitMessage;
    }
    ContactImportCounts counts;
    if (!told(archive.phonebook->import(contents.contacts, counts), m_context.messages, kPhonebookStoreFailed)) {
        return kExitMessage;
    }
    std::cout << "新增 " << counts.added << " 个，更新 " << counts.updated << " 个，未变 " << counts.unchanged
              << " 个，跳过 " << contents.skippedCount << " 个\n";
    return contents.contacts.empty() && contents.skippedCount > 0 ? kExitMessage : kExitOk;
}

int ContactsCommand::exportFile(const std::string& folder) {
    const OpenArchive archive =
        openCatalogue(*m_context.catalogues, folder, CatalogueAccess::ReadOnly, m_context.messages);
    if (m_context.messages.anyShown()) return kExitMessage;
    std::vector<Contact> contacts;
    if (archive.phonebook && !told(archive.phonebook->contacts(contacts), m_context.messages, kReadFailed)) {
        return kExitMessage;
    }
    if (writeContactFile(m_file, contactCsvText(contacts)) != ContactFileStatus::Ok) {
        m_context.messages.showMessage("无法写入文件：" + cellText(m_file), MessageIcon::Warning);
        return kExitMessage;
    }
    std::cout << "已导出 " << contacts.size() << " 个联系人\n";
    return kExitOk;
}

int ContactsCommand::add(const std::string& folder) {
    for (const std::string& number : m_numbers) {
        if (ContactDirectory::dialledDigits(number).empty()) {
            std::cerr << "不是电话号码：" << cellText(number) << '\n';
            return kExitUsage;
        }
    }
    const OpenArchive archive =
        openCatalogue(*m_context.catalogues, folder, CatalogueAccess::ReadWrite, m_context.messages);
    if (!archive.phonebook) {
        if (!m_context.messages.anyShown()) m_context.messages.showMessage(kPhonebookReadOnly, MessageIcon::Warning);
        return kExitMessage;
    }
    // As an import of one contact: a name already there gains the numbers instead of a twin.
    ContactImportCounts counts;
    const Contact contact{0, m_name, m_numbers, m_company};
    return told(archive.phonebook->import({contact}, counts), m_context.messages, kPhonebookStoreFailed) ? kExitOk
                                                                                                         : kExitMessage;
}

int ContactsCommand::remove(const std::string& folder) {
    const OpenArchive archive =
        openCatalogue(*m_context.catalogues, folder, CatalogueAccess::ReadWrite, m_context.messages);
    if (!archive.phonebook) {
        if (!m_context.messages.anyShown()) m_context.messages.showMessage(kPhonebookReadOnly, MessageIcon::Warning);
        return kExitMessage;
    }
    IPhonebook& phonebook = *archive.phonebook;
    std::vector<Contact> contacts;
    if (!told(phonebook.contacts(contacts), m_context.messages, kReadFailed)) return kExitMessage;
    int removed = 0;
    for (const Contact& contact : contacts) {
        if (contact.name != m_name) continue;
        if (!told(phonebook.remove(contact.id), m_context.messages, kPhonebookStoreFailed)) return kExitMessage;
        ++removed;
    }
    if (removed == 0) {
        m_context.messages.showMessage("没有这个联系人：" + cellText(m_name), MessageIcon::Warning);
        return kExitMessage;
    }
    return kExitOk;
}

}  // namespace tapelink::cli
