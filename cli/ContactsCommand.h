#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/CliContext.h"

namespace tapelink::cli {

// tapelink-cli contacts [--archive DIR] list|import FILE|export FILE|add NAME NUMBER...|remove NAME:
// the phonebook kept in an archive's catalogue.
class ContactsCommand {
public:
    ContactsCommand(CLI::App& parent, CliContext& context);
    CLI::App* command() const { return m_command; }
    int run();

private:
    int list(const std::string& folder);
    int importFile(const std::string& folder);
    int exportFile(const std::string& folder);
    int add(const std::string& folder);
    int remove(const std::string& folder);

    CLI::App* m_command;
    CLI::App* m_list;
    CLI::App* m_import;
    CLI::App* m_export;
    CLI::App* m_add;
    CLI::App* m_remove;
    CliContext& m_context;
    std::string m_archive;
    std::string m_file;
    std::string m_name;
    std::vector<std::string> m_numbers;
    std::string m_company;
    int m_nameColumn = 0;  // 1-based; 0: from the header
    std::vector<int> m_numberColumns;
    int m_companyColumn = 0;
    bool m_json = false;  // list --json
};

}  // namespace tapelink::cli
