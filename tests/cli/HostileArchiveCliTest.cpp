// Random hostile archives: links where the catalogue, its folder or the replaced copies should be, damaged or
// locked catalogues, copies changed or removed behind the catalogue's back, read-only and full disks, a reset
// telephone whose recordings keep their names and keys but not their content, the archive given as the telephone
// itself, and commands run side by side or killed. After every command each recording ever seen is on the
// telephone, in its bin or in the archive (its replaced copies too) byte for byte, nothing outside the archive and
// the telephone changed, no recording is in the archive twice, and the phonebook and the notes still read back.
// TAPELINK_HOSTILE_STEPS runs more steps per seed, TAPELINK_HOSTILE_SEED only the seed given, and
// TAPELINK_HOSTILE_TRACE prints every step with the exit codes of its commands.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <thread>

#include "tests/fault/SmallDisk.h"
#include "tests/support/CliProcess.h"
#include "tests/support/CliRunner.h"
#include "tests/support/DemoTelephone.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

bool isLink(const std::string& path) {
    return fs::is_symlink(fs::symlink_status(path));
}
bool isFolder(const std::string& path) {
    return fs::is_directory(fs::symlink_status(path));
}
bool isFile(const std::string& path) {
    return fs::is_regular_file(fs::symlink_status(path));
}

// Every entry under folder, links not followed: its kind, content or link target.
std::map<std::string, std::string> treeOf(const std::string& folder) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const auto status = entry.symlink_status();
        std::string& seen = tree[entry.path().string()];
        if (fs::is_symlink(status)) {
            seen = "link " + fs::read_symlink(entry.path()).string();
        } else if (fs::is_regular_file(status)) {
            const Bytes bytes = VolumeBuilder::readBytes(entry.path());
            seen.assign(bytes.begin(), bytes.end());
        } else {
            seen = fs::is_directory(status) ? "folder" : "special";
        }
    }
    return tree;
}

// The contents of the regular files anywhere under folder, links not followed.
void addContentsUnder(const std::string& folder, std::set<Bytes>& contents) {
    if (!isFolder(folder)) return;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (fs::is_regular_file(entry.symlink_status())) contents.insert(VolumeBuilder::readBytes(entry.path()));
    }
}

// The regular files directly in folder by name, with their content.
std::map<std::string, Bytes> filesIn(const std::string& folder) {
    std::map<std::string, Bytes> files;
    if (!isFolder(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (fs::is_regular_file(entry.symlink_status())) {
            files[entry.path().filename().string()] = VolumeBuilder::readBytes(entry.path());
        }
    }
    return files;
}

// What an outsider does before a command: a change that stays (the first group), or a condition that Undo ends
// after the command.
enum class Trouble {
    None,
    ClockReset,        // the telephone was reset: the same names and keys, other content
    NewRecordings,     // the telephone recorded new calls
    CopyChanged,       // an archived copy holds other content
    CopyRemoved,       // an archived copy is gone
    CatalogueGarbage,  // catalogue.sqlite overwritten with garbage: its notes and phonebook are gone for good
    OwnFolderLink,     // .tapelink/ is a link to a folder outside
    CatalogueLink,     // catalogue.sqlite is a link to an empty file outside (an empty SQLite database)
    ReplacedLink,      // replaced/ is a link to a folder outside
    CatalogueFolder,   // a folder where catalogue.sqlite should be
    LockFolder,        // a folder where write.lock should be
    ReadOnly,          // the archive's disk is read-only
    FullDisk,          // the archive's disk is (almost) full
    ArchiveOnPhone,    // the archive given is the telephone's own voice folder, or a link to it
};
const char* const kTroubleNames[] = {"none",          "clock reset",       "new recordings",  "copy changed",
                                     "copy removed",  "catalogue garbage", "own folder link", "catalogue link",
                                     "replaced link", "catalogue dir",     "lock dir",        "read-only",
                                     "full disk",     "archive on phone"};
// The telephone's own changes come twice as often: they make what only the telephone holds, which a fault loses.
const Trouble kChanges[] = {Trouble::ClockReset,      Trouble::NewRecordings, Trouble::ClockReset,
                            Trouble::NewRecordings,   Trouble::CopyChanged,   Trouble::CopyRemoved,
                            Trouble::CatalogueGarbage};
const Trouble kConditions[] = {Trouble::OwnFolderLink,   Trouble::CatalogueLink, Trouble::ReplacedLink,
                               Trouble::CatalogueFolder, Trouble::LockFolder,    Trouble::ReadOnly,
                               Trouble::FullDisk,        Trouble::ArchiveOnPhone};

enum class Command { UploadAll, UploadNew, Delete, Rebuild, Verify, SideBySide, Killed, Annotate };
constexpr int kCommands = static_cast<int>(Command::Annotate) + 1;

struct NoteExpectation {
    std::string file;
    Bytes content;  // the copy the note was given to: a note of a copy since replaced is not expected
    std::string text;
    std::string tag;
};

class HostileArchive {
public:
    explicit HostileArchive(unsigned seed) : m_seed(seed), m_random(seed) {
        copyDemoTelephone({"--recordings", "40", "--seed", std::to_string(seed % 3), "--max-seconds", "3"}, phone());
        fs::create_directories(home());
        fs::create_directories(outside() + "stash");
        VolumeBuilder::writeBytes(outside() + "stash/kept.txt", Bytes(100, 0x42));
        VolumeBuilder::writeBytes(outside() + "other.sqlite", {});
        fs::create_directory_symlink(phone() + "voice", outside() + "voice-link");
        if (m_random() % 2 == 0) {
            m_disk = std::make_unique<SmallDisk>(16u << 20);
            if (!m_disk->mounted()) m_disk.reset();
        }
        m_archive = (m_disk ? m_disk->path() : m_folder.path()) + "archive/";
        fs::create_directories(m_archive);
        EXPECT_EQ(cli({"list"}).exitCode, 0);  // the legacy names are moved once
        takeInPhone();
        fs::create_directories(heldRoot());
        m_outside = outsideTree();
    }

    void setUp() {
        const CliResult uploaded = cli({"upload", "--new", "--to", m_archive});
        ASSERT_EQ(uploaded.exitCode, 0) << uploaded.err;
        for (int i = 0; i < 2; ++i) addContact();
        for (int i = 0; i < 3; ++i) annotate(-1);
        check("seed " + std::to_string(m_seed) + " set-up: ");
    }

    void step(int number) {
        const Trouble change = chance(35) ? kChanges[m_random() % std::size(kChanges)] : Trouble::None;
        const Trouble condition = chance(50) ? kConditions[m_random() % std::size(kConditions)] : Trouble::None;
        const auto command = static_cast<Command>(m_random() % kCommands);
        m_where = "seed " + std::to_string(m_seed) + " step " + std::to_string(number) + " (" +
                  kTroubleNames[static_cast<int>(change)] + " + " + kTroubleNames[static_cast<int>(condition)] + ", ";
        m_target = condition == Trouble::ArchiveOnPhone ? (chance(50) ? outside() + "voice-link" : phone() + "voice/")
                                                        : m_archive;
        apply(change);
        const bool applied = apply(condition);
        if (!applied && condition != Trouble::None) m_where.insert(m_where.size() - 2, " (not here)");
        m_outside = outsideTree();
        static const Command kOntoPhone[] = {Command::UploadAll, Command::UploadNew, Command::Delete};
        const auto phoneBefore = filesIn(phone() + "voice/");
        run(condition == Trouble::ArchiveOnPhone ? kOntoPhone[m_random() % 3] : command);
        expectOutsideUnchanged();
        // Uploads and clearing read the telephone; they never add a file to it.
        std::string written;
        for (const auto& [name, bytes] : filesIn(phone() + "voice/")) {
            if (phoneBefore.count(name) == 0) written += " " + name;
        }
        if (!written.empty()) ADD_FAILURE() << m_where << "files written onto the telephone:" << written;
        if (applied) undo(condition);
        if (std::getenv("TAPELINK_HOSTILE_TRACE") != nullptr) std::cerr << m_where << m_exitCodes << '\n';
        check(m_where);
    }

private:
    std::string phone() const { return m_folder.path() + "phone/"; }
    std::string home() const { return m_folder.path() + "home/"; }
    std::string outside() const { return m_folder.path() + "outside/"; }
    std::string own() const { return m_archive + ".tapelink"; }
    std::string catalogue() const { return own() + "/catalogue.sqlite"; }
    // What an outsider took out of the archive's own folder, on the archive's disk so that it can be put back.
    std::string heldRoot() const { return (m_disk ? m_disk->path() : m_folder.path()) + "held/"; }
    std::string held() const { return heldRoot() + std::to_string(m_held); }
    std::map<std::string, std::string> outsideTree() const {
        std::map<std::string, std::string> tree = treeOf(outside());
        tree.merge(treeOf(heldRoot()));
        return tree;
    }

    bool chance(int percent) { return static_cast<int>(m_random() % 100) < percent; }
    template <typename Map>
    typename Map::const_iterator anyOf(const Map& map) {
        return std::next(map.begin(), static_cast<long>(m_random() % map.size()));
    }

    std::vector<std::string> withStore(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--store", phone()});
        return args;
    }
    CliResult cli(const std::vector<std::string>& args) const { return runCli(withStore(args), {{"HOME", home()}}); }

    // Every recording on the telephone is one seen, from now on expected to be kept somewhere.
    void takeInPhone() {
        for (const std::string& folder : {phone() + "voice/", phone() + "RECYCLE/"}) {
            for (const auto& [name, bytes] : filesIn(folder)) {
                if (m_seen.emplace(bytes, name).second) m_expected.insert(bytes);
            }
        }
    }
    // Where a recording may be kept: the telephone, its bin, the archive with its own folder, and what an outsider
    // holds of the archive's own folder.
    std::set<Bytes> everywhere() const {
        std::set<Bytes> contents;
        for (const std::string& root : {phone(), m_archive, heldRoot()}) addContentsUnder(root, contents);
        return contents;
    }
    // After an outsider's change: what is gone was lost by the outsider, not by a command.
    void absorbOutsiderChange() {
        const std::set<Bytes> found = everywhere();
        std::erase_if(m_expected, [&](const Bytes& bytes) { return found.count(bytes) == 0; });
        takeInPhone();
    }
    // The catalogue file itself was destroyed or taken away: the notes and the phonebook it held are gone with it,
    // and nothing can bring them back, so they are expected no longer.
    void forgetCatalogue() {
        m_notes.clear();
        m_contacts.clear();
    }

    std::string anyArchivedName() {
        const auto files = filesIn(m_archive);
        return files.empty() ? std::string() : anyOf(files)->first;
    }
    // Moves path into the outsider's hands; false when there is nothing there.
    bool holdAside(const std::string& path) {
        if (!fs::exists(fs::symlink_status(path))) return false;
        ++m_held;
        fs::rename(path, held());
        return true;
    }

    // Other content in the second half of a recording, past its header and information, so that its name, size and
    // key stay the same. Random, so that a second change never gives back the first content.
    void scramble(Bytes& bytes) {
        for (std::size_t i = bytes.size() / 2; i < bytes.size(); i += 61) {
            bytes[i] ^= static_cast<std::uint8_t>(1 + m_random() % 255);
        }
    }

    bool apply(Trouble trouble) {
        const bool ownThere = isFolder(own()) && !isLink(own());
        switch (trouble) {
            case Trouble::None:
                return false;
            case Trouble::OwnFolderLink:
                m_heldNow = holdAside(own());
                fs::create_directory_symlink(outside() + "stash", own());
                return true;
            case Trouble::CatalogueLink:
                if (!ownThere) return false;
                m_heldNow = holdAside(catalogue());
                fs::create_symlink(outside() + "other.sqlite", catalogue());
                return true;
            case Trouble::ReplacedLink:
                if (!ownThere) return false;
                m_heldNow = holdAside(own() + "/replaced");
                fs::create_directory_symlink(outside() + "stash", own() + "/replaced");
                return true;
            case Trouble::CatalogueGarbage: {
                if (!isFile(catalogue())) return false;
                Bytes garbage(4096 + m_random() % 8192);
                for (auto& byte : garbage) byte = static_cast<std::uint8_t>(m_random());
                VolumeBuilder::writeBytes(catalogue(), garbage);
                forgetCatalogue();
                return true;
            }
            case Trouble::CatalogueFolder:
                if (!ownThere) return false;
                m_heldNow = holdAside(catalogue());
                fs::create_directory(catalogue());
                return true;
            case Trouble::LockFolder:
                if (!ownThere) return false;
                fs::remove(own() + "/write.lock");
                fs::create_directory(own() + "/write.lock");
                return true;
            case Trouble::CopyChanged:
            case Trouble::CopyRemoved: {
                const std::string name = anyArchivedName();
                if (name.empty()) return false;
                if (trouble == Trouble::CopyRemoved) {
                    fs::remove(m_archive + name);
                } else {
                    Bytes bytes = VolumeBuilder::readBytes(m_archive + name);
                    scramble(bytes);
                    VolumeBuilder::writeBytes(m_archive + name, bytes);
                    m_foreign.insert(bytes);
                }
                absorbOutsiderChange();
                return true;
            }
            case Trouble::ReadOnly:
                if (m_disk) return m_disk->remountReadOnly();
                if (::geteuid() == 0) return false;  // root writes through any mode bits
                for (const std::string& folder : {m_archive, own(), own() + "/replaced"}) ::chmod(folder.c_str(), 0555);
                return true;
            case Trouble::FullDisk:
                if (!m_disk) return false;
                m_disk->fillLeaving(m_random() % 40000);
                return true;
            case Trouble::ClockReset: {
                for (const auto& [name, bytes] : filesIn(phone() + "voice/")) {
                    if (!chance(50)) continue;
                    Bytes other = bytes;
                    scramble(other);
                    VolumeBuilder::writeBytes(phone() + "voice/" + name, other);
                }
                absorbOutsiderChange();
                return true;
            }
            case Trouble::NewRecordings:
                // Copies of a recording with another start, as the telephone names a new one.
                for (unsigned i = 0, n = 1 + m_random() % 3; i < n; ++i) {
                    const auto files = filesIn(phone() + "voice/");
                    if (files.empty()) break;
                    Bytes bytes = anyOf(files)->second;
                    const auto block =
                        VolumeBuilder::info(chance(50) ? 'B' : 'Z', "1380013" + std::to_string(1000 + m_made),
                                            19 + m_made % 6, 1 + m_made % 12, 1 + m_made % 28, m_made % 24, m_made % 60)
                            .toBlock();
                    std::copy(block.begin(), block.end(), bytes.begin() + RecordingInfo::kOffset);
                    char name[32];
                    std::snprintf(name, sizeof name, "VOA%05d.WAV", 100 + m_made++);
                    VolumeBuilder::writeBytes(phone() + "voice/" + name, bytes);
                }
                takeInPhone();
                return true;
            case Trouble::ArchiveOnPhone:
                return true;
        }
        return false;
    }

    // Puts back what was held aside if the link or folder put in its place is still there. Where a command moved
    // that aside itself, the original stays with the outsider: a catalogue there took its notes and phonebook along.
    void putBack(const std::string& path, bool catalogueWithIt) {
        const bool stillOurs = isLink(path) || (isFolder(path) && fs::is_empty(path));
        if (stillOurs) fs::remove(path);
        if (stillOurs && m_heldNow) {
            fs::rename(held(), path);
        } else if (m_heldNow && catalogueWithIt) {
            forgetCatalogue();
        }
    }

    void undo(Trouble trouble) {
        switch (trouble) {
            case Trouble::OwnFolderLink:
                putBack(own(), true);
                break;
            case Trouble::CatalogueLink:
            case Trouble::CatalogueFolder:
                putBack(catalogue(), true);
                break;
            case Trouble::ReplacedLink:
                putBack(own() + "/replaced", false);
                break;
            case Trouble::LockFolder:
                if (isFolder(own() + "/write.lock")) fs::remove(own() + "/write.lock");
                break;
            case Trouble::ReadOnly:
                if (m_disk) {
                    EXPECT_TRUE(m_disk->remountWritable());
                } else {
                    for (const std::string& folder : {m_archive, own(), own() + "/replaced"}) {
                        ::chmod(folder.c_str(), 0755);
                    }
                }
                break;
            case Trouble::FullDisk:
                m_disk->freeFiller();
                break;
            default:
                break;
        }
        m_heldNow = false;
    }

    std::vector<std::string> commandLine(Command command) {
        switch (command) {
            case Command::UploadAll:
                return withStore({"upload", "--all", "--to", m_target, "--overwrite", chance(50) ? "all" : "none"});
            case Command::Delete: {
                std::vector<std::string> args = withStore({"delete", "--archived", "--to", m_target});
                static const char* const kDays[] = {"0", "1500", "100000"};
                if (chance(40)) args.insert(args.end(), {"--older-than", kDays[m_random() % 3]});
                return args;
            }
            case Command::Rebuild:
                return {"archive", "rebuild", m_target};
            case Command::Verify:
                return {"archive", "verify", m_target};
            default:
                return withStore({"upload", "--new", "--to", m_target});
        }
    }

    void expectOutsideUnchanged() const {
        const std::map<std::string, std::string> now = outsideTree();
        std::string changed;
        for (const auto& [path, seen] : now) {
            const auto before = m_outside.find(path);
            if (before == m_outside.end() || before->second != seen) changed += " " + path.substr(outside().size());
        }
        for (const auto& [path, seen] : m_outside) {
            if (now.count(path) == 0) changed += " -" + path.substr(outside().size());
        }
        if (!changed.empty()) ADD_FAILURE() << m_where << "changed outside the archive:" << changed;
    }

    // A command line as a failure names it, without the folders.
    std::string shown(const std::vector<std::string>& args) const {
        std::string text;
        for (std::size_t i = args[0] == "--store" ? 2 : 0; i < args.size(); ++i) {
            text += (text.empty() ? "" : " ") + (args[i] == m_target ? std::string("DIR") : args[i]);
        }
        return text;
    }

    void run(Command command) {
        m_exitCodes = " exit";
        m_byName = command == Command::UploadAll;
        switch (command) {
            case Command::SideBySide: {
                m_where += "upload --new side by side): ";
                std::vector<std::unique_ptr<CliProcess>> runs;
                for (unsigned i = 0, n = 2 + m_random() % 2; i < n; ++i) {
                    runs.push_back(std::make_unique<CliProcess>(commandLine(Command::UploadNew),
                                                                CliEnvironment{{"HOME", home()}}));
                }
                bool anyDone = false;
                for (const auto& process : runs) {
                    std::string out, err;
                    const int code = process->finish(out, err);
                    m_exitCodes += " " + std::to_string(code);
                    EXPECT_LT(code, 128) << m_where << err;
                    anyDone = anyDone || code == 0;
                }
                if (anyDone) expectPhoneArchived();
                return;
            }
            case Command::Killed: {
                static const Command kKillable[] = {Command::UploadNew, Command::Delete, Command::Rebuild};
                const std::vector<std::string> args = commandLine(kKillable[m_random() % 3]);
                const auto delay = std::chrono::microseconds(m_random() % 30000);
                m_where += shown(args) + " killed after " + std::to_string(delay.count() / 1000) + " ms): ";
                CliProcess process(args, {{"HOME", home()}});
                std::this_thread::sleep_for(delay);
                process.signal(SIGKILL);
                std::string out, err;
                m_exitCodes += " " + std::to_string(process.finish(out, err));
                return;
            }
            case Command::Annotate:
                m_where += "note, tag or contact): ";
                if (chance(30)) {
                    addContact();
                } else {
                    annotate(static_cast<int>(m_random() % 1000));
                }
                return;
            default:
                break;
        }
        const std::vector<std::string> args = commandLine(command);
        m_where += shown(args) + "): ";
        const CliResult result = runCli(args, {{"HOME", home()}});
        m_exitCodes += " " + std::to_string(result.exitCode);
        EXPECT_LT(result.exitCode, 128) << m_where << result.err;
        if (command == Command::UploadNew && result.exitCode == 0) expectPhoneArchived();
    }

    // An upload of everything new that ends well has every recording on the telephone in the archive.
    void expectPhoneArchived() {
        if (m_target != m_archive) return;
        std::set<Bytes> archived;
        for (auto& [name, bytes] : filesIn(m_archive)) archived.insert(std::move(bytes));
        std::string missing;
        for (const auto& [name, bytes] : filesIn(phone() + "voice/")) {
            if (archived.count(bytes) == 0 && m_toldUnarchived.insert(bytes).second) missing += " " + name;
        }
        if (!missing.empty()) ADD_FAILURE() << m_where << "upload --new succeeded, but not in the archive:" << missing;
    }

    void addContact() {
        const std::string name = "联系人" + std::to_string(++m_contactsMade) + "号";
        const CliResult added =
            cli({"contacts", "--archive", m_target, "add", name, "1390000" + std::to_string(1000 + m_random() % 9000)});
        if (added.exitCode == 0 && m_target == m_archive) m_contacts.insert(name);
    }

    // Gives a note and a tag to one archived recording; expected to read back when both were stored.
    void annotate(int mark) {
        const std::string name = anyArchivedName();
        if (name.empty()) return;
        const Bytes content = VolumeBuilder::readBytes(m_archive + name);
        const std::string text = "回电" + std::to_string(mark + 1) + "次";
        const std::string tag = "标" + std::to_string(mark + 1);
        if (cli({"note", "--to", m_archive, name, text}).exitCode != 0) return;
        if (cli({"tag", "--to", m_archive, name, "+" + tag}).exitCode != 0) return;
        std::erase_if(m_notes, [&](const NoteExpectation& note) { return note.file == name; });
        m_notes.push_back({name, content, text, tag});
    }

    void check(const std::string& where) {
        const std::set<Bytes> found = everywhere();
        for (auto it = m_expected.begin(); it != m_expected.end();) {
            if (found.count(*it) == 1) {
                ++it;
                continue;
            }
            // Told once; from here on it is not looked for again.
            ADD_FAILURE() << where << "recording lost: the content first seen as " << m_seen[*it];
            it = m_expected.erase(it);
        }
        std::map<Bytes, std::string> copies;
        for (const auto& [name, bytes] : filesIn(m_archive)) {
            if (m_seen.count(bytes) == 0 && m_foreign.count(bytes) == 0) {
                ADD_FAILURE() << where << "a partial or unknown file in the archive: " << name;
            }
            const auto [first, added] = copies.emplace(bytes, name);
            // An upload of every recording by name may copy one that upload --new kept under another name.
            if (!added && m_toldTwice.insert(bytes).second && !m_byName) {
                ADD_FAILURE() << where << "one recording twice in the archive: " << first->second << ", " << name;
            }
        }
        for (const auto& entry : fs::recursive_directory_iterator(phone())) {
            if (entry.path().filename() == ".tapelink" && !m_toldOwnOnPhone) {
                ADD_FAILURE() << where << "an archive folder on the telephone: " << entry.path().string();
                m_toldOwnOnPhone = true;
            }
        }
        checkCatalogue(where);
    }

    // The phonebook and the notes live in the catalogue: they read back after every command, and are only given up
    // when an outsider destroyed or took away the catalogue file itself (forgetCatalogue).
    void checkCatalogue(const std::string& where) {
        const CliResult listed = cli({"contacts", "--archive", m_archive, "list"});
        std::set<std::string> names;
        for (const std::string& line : splitLines(listed.out)) names.insert(splitCells(line).front());
        for (auto it = m_contacts.begin(); it != m_contacts.end();) {
            if (names.count(*it) == 1) {
                ++it;
                continue;
            }
            ADD_FAILURE() << where << "contact " << *it << " lost " << listed.err;
            it = m_contacts.erase(it);
        }
        std::erase_if(m_notes, [&](const NoteExpectation& note) {
            if (!isFile(m_archive + note.file) || VolumeBuilder::readBytes(m_archive + note.file) != note.content) {
                return true;  // the copy it was given to is no longer there
            }
            const CliResult text = cli({"note", "--to", m_archive, note.file});
            const CliResult tags = cli({"tag", "--to", m_archive, note.file});
            const bool tagged =
                (" " + tags.out.substr(0, tags.out.find('\n')) + " ").find(" " + note.tag + " ") != std::string::npos;
            if (text.out == note.text + "\n" && tagged) return false;
            ADD_FAILURE() << where << "note or tag of " << note.file << " lost: \"" << text.out << "\" \"" << tags.out
                          << "\" " << text.err;
            return true;
        });
    }

    TempFolder m_folder;
    unsigned m_seed;
    std::mt19937 m_random;
    std::unique_ptr<SmallDisk> m_disk;
    std::string m_archive;
    std::string m_target;
    std::string m_where;
    std::string m_exitCodes;  // of the step's commands, for the trace
    std::map<std::string, std::string> m_outside;
    std::map<Bytes, std::string> m_seen;  // every content seen on the telephone, with the name it had
    std::set<Bytes> m_expected;
    std::set<Bytes> m_foreign;  // contents an outsider put into the archive
    std::set<std::string> m_contacts;
    std::vector<NoteExpectation> m_notes;
    std::set<Bytes> m_toldUnarchived;
    std::set<Bytes> m_toldTwice;  // each fault is told once, not again at every later step
    bool m_toldOwnOnPhone = false;
    bool m_byName = false;  // the step uploaded every recording by name
    int m_contactsMade = 0;
    int m_made = 0;  // new recordings the telephone made
    int m_held = 0;
    bool m_heldNow = false;
};

int envNumber(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

}  // namespace

class HostileArchiveCliTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(HostileArchiveCliTest, EveryRecordingNoteAndContactSurvives) {
    const unsigned only = static_cast<unsigned>(envNumber("TAPELINK_HOSTILE_SEED", 0));
    if (only != 0 && only != GetParam()) GTEST_SKIP() << "TAPELINK_HOSTILE_SEED=" << only;
    HostileArchive world(GetParam());
    world.setUp();
    if (HasFatalFailure()) return;
    for (int step = 0, steps = envNumber("TAPELINK_HOSTILE_STEPS", 24); step < steps; ++step) world.step(step);
}

INSTANTIATE_TEST_SUITE_P(Seeds, HostileArchiveCliTest, ::testing::Range(1u, 9u));
