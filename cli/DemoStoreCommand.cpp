#include "cli/DemoStoreCommand.h"

#include <cerrno>
#include <filesystem>
#include <iostream>

#include "cli/NonBlank.h"
#include "cli/ValueChecks.h"
#include "common/fs/FileErrorText.h"
#include "contacts/ContactFileIo.h"
#include "contacts/ContactVcard.h"
#include "contacts/DemoPhonebook.h"
#include "platform/SndfileWavEncoder.h"

namespace tapelink::cli {

namespace {

namespace fs = std::filesystem;

// Empties folder without following links out of it. False with error set when something stayed.
bool emptyFolder(const std::string& folder, std::string& error) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        fs::remove_all(it->path(), ec);
        if (ec) {
            error = it->path().string() + "：" + errorReasonText(ec);
            return false;
        }
    }
    if (ec) error = folder + "：" + errorReasonText(ec);
    return !ec;
}

}  // namespace

DemoStoreCommand::DemoStoreCommand(CLI::App& parent, CliContext& context)
    : m_command(parent.add_subcommand("demo-store", "Write a demo telephone volume into a folder")),
      m_context(context) {
    m_command->add_option("DIR", m_folder, "Folder to become the telephone's drive root (new or empty)")->required();
    m_command->add_option("--recordings", m_options.recordings, "Recordings in voice/")->check(numberInRange(0, 60000));
    m_command->add_option("--seed", m_options.seed, "Seed of the generated content");
    m_command->add_option("--max-seconds", m_options.maxSeconds, "Length of the longest recording")
        ->check(numberInRange(1, 3600));
    m_command->add_flag("--force", m_force, "Replace the whole contents of a folder that is not empty");
    m_command->add_option("--phonebook", m_phonebook, "Also write contacts for the demo numbers to this vCard file")
        ->check(nonBlank());
}

int DemoStoreCommand::run() {
    // Writing into an existing volume would mix its files with the new ones under a header that counts only
    // the new ones.
    std::error_code ec;
    if (!m_phonebook.empty() && fs::exists(fs::symlink_status(m_phonebook, ec)) && !m_force) {
        std::cerr << m_phonebook << "：文件已存在；用 --force 替换它\n";
        return kExitMessage;
    }
    if (fs::is_directory(m_folder, ec) && !fs::is_empty(m_folder, ec)) {
        if (!m_force) {
            std::cerr << m_folder << "：文件夹不是空的；用 --force 替换其中的内容\n";
            return kExitMessage;
        }
        std::string error;
        if (!emptyFolder(m_folder, error)) {
            std::cerr << error << '\n';
            return kExitMessage;
        }
    }
    SndfileWavEncoder encoder;
    std::string error;
    if (!writeDemoVolume(m_folder, m_options, encoder, error)) {
        std::cerr << error << '\n';
        return kExitMessage;
    }
    if (!m_phonebook.empty() &&
        writeContactFile(m_phonebook, contactVcardText(planDemoPhonebook(planDemoVolume(m_options)))) !=
            ContactFileStatus::Ok) {
        std::cerr << m_phonebook << "：" << errorReasonText({errno, std::generic_category()}) << '\n';
        return kExitMessage;
    }
    return kExitOk;
}

}  // namespace tapelink::cli
