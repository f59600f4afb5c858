// Random hostile telephones: links out of the volume, pipes, folders and junk where recordings should be,
// broken indexes, and the telephone swapped for another between commands. After every command nothing
// outside the volumes has changed, and every recording is on a telephone, in its bin or in the archive,
// byte for byte, unless a delete named it on stdout.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>

#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Every entry under folder, links not followed: its kind, content or link target.
std::map<std::string, std::string> treeOf(const std::string& folder) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().string();
        const auto status = entry.symlink_status();
        if (fs::is_symlink(status)) {
            tree[path] = "link " + fs::read_symlink(entry.path()).string();
        } else if (fs::is_regular_file(status)) {
            const Bytes bytes = VolumeBuilder::readBytes(path);
            tree[path] = std::string(bytes.begin(), bytes.end());
        } else {
            tree[path] = fs::is_directory(status) ? "folder" : "special";
        }
    }
    return tree;
}

// The contents of the regular files of the given folders.
std::set<Bytes> contentsIn(const std::vector<std::string>& folders) {
    std::set<Bytes> contents;
    for (const auto& folder : folders) {
        if (!fs::is_directory(fs::symlink_status(folder))) continue;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (fs::is_regular_file(entry.symlink_status())) contents.insert(VolumeBuilder::readBytes(entry.path()));
        }
    }
    return contents;
}

class HostileWorld {
public:
    explicit HostileWorld(unsigned seed) : m_random(seed) {
        fs::create_directories(outside() + "sub");
        VolumeBuilder::writeRecording(outside() + "REC00001.WAV", 'B', "1");
        VolumeBuilder::writeRecording(outside() + "VOA00002.WAV", 'Z', "2");
        VolumeBuilder::writeBytes(outside() + "sub/index.bin", Bytes(200, 0x66));
        buildVolume(phone());
        buildVolume(spare());
    }

    std::string phone() const { return m_folder.path() + "phone/"; }
    std::string spare() const { return m_folder.path() + "spare/"; }
    std::string outside() const { return m_folder.path() + "outside/"; }
    std::string archive() const { return m_folder.path() + "archive/"; }
    const std::set<Bytes>& recordings() const { return m_recordings; }
    std::mt19937& random() { return m_random; }

    void swap() {
        fs::rename(phone(), m_folder.path() + "swapping");
        fs::rename(spare(), phone());
        fs::rename(m_folder.path() + "swapping", spare());
    }
    // Folders moved aside for a link in their place are still on the telephone.
    std::set<Bytes> everywhere() const {
        std::vector<std::string> folders = {archive()};
        for (const std::string& root : {phone(), spare()}) {
            for (const auto& entry : fs::directory_iterator(root)) {
                if (entry.is_directory() && !entry.is_symlink()) folders.push_back(entry.path().string());
            }
        }
        return contentsIn(folders);
    }

private:
    bool chance(int percent) { return static_cast<int>(m_random() % 100) < percent; }

    void buildVolume(const std::string& root) {
        VolumeBuilder volume(root);
        if (chance(80)) {
            volume.writeIndex(VolumeBuilder::header(0, static_cast<std::uint16_t>(1 + m_random() % 100)));
        } else {
            fs::create_symlink(outside() + "sub/index.bin", volume.indexPath());
        }
        for (const std::string& folder : {volume.voice(), volume.recycle()}) {
            const int entries = static_cast<int>(m_random() % 7);
            for (int i = 0; i < entries; ++i) addEntry(folder, i);
            if (chance(15)) {
                fs::rename(folder, root + "hidden" + std::to_string(m_random()));
                fs::create_directory_symlink(chance(50) ? outside() : outside() + "sub",
                                             folder.substr(0, folder.size() - 1));
            }
        }
    }

    void addEntry(const std::string& folder, int i) {
        static const char* const kPrefixes[] = {"VOA", "VOB", "VOC", "VOI", "REC"};
        char name[16];
        std::snprintf(name, sizeof name, "%s%05d.WAV", kPrefixes[m_random() % 5], static_cast<int>(m_random() % 40));
        const std::string path = folder + name;
        if (fs::exists(fs::symlink_status(path))) return;
        switch (m_random() % 6) {
            case 0:
                fs::create_symlink(outside() + (chance(50) ? "REC00001.WAV" : "VOA00002.WAV"), path);
                break;
            case 1:
                ::mkfifo(path.c_str(), 0644);
                break;
            case 2:
                fs::create_directory(path);
                break;
            default: {
                const std::size_t size = 4532 + ++m_made * 7 + static_cast<std::size_t>(i);
                VolumeBuilder::writeRecording(path, m_random() % 2 ? 'B' : 'Z', std::to_string(m_made), size);
                m_recordings.insert(VolumeBuilder::readBytes(path));
            }
        }
    }

    TempFolder m_folder;
    std::mt19937 m_random;
    std::set<Bytes> m_recordings;
    std::size_t m_made = 0;
};

}  // namespace

TEST(HostileVolumeCliTest, NothingOutsideChangesAndNoRecordingIsLost) {
    for (unsigned seed = 1; seed <= 12; ++seed) {
        HostileWorld world(seed);
        fs::create_directory(world.archive());
        const auto outsideBefore = treeOf(world.outside());
        std::set<Bytes> expected = world.recordings();

        for (int step = 0; step < 8; ++step) {
            const std::string pick = std::to_string(1 + world.random()() % 3);
            const std::vector<std::vector<std::string>> commands = {
                {"list"},
                {"bin", "list"},
                {"upload", "--to", world.archive(), "--all", "--overwrite", "all"},
                {"delete", "--rows", pick},
                {"bin", "restore", "--rows", pick},
                {"bin", "delete", "--rows", pick},
                {"swap"},
            };
            const auto& command = commands[world.random()() % commands.size()];
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step) + ": " + command[0] + " " +
                         (command.size() > 1 ? command[1] : ""));
            if (command[0] == "swap") {
                world.swap();
                continue;
            }
            const bool deletes = command.back() == pick && command[command.size() - 3] == "delete";
            const std::string folder = world.phone() + (command[0] == "bin" ? "RECYCLE/" : "voice/");
            std::map<std::string, Bytes> before;
            if (deletes && fs::is_directory(fs::symlink_status(folder.substr(0, folder.size() - 1)))) {
                for (const auto& entry : fs::directory_iterator(folder)) {
                    if (fs::is_regular_file(entry.symlink_status())) {
                        before[entry.path().filename().string()] = VolumeBuilder::readBytes(entry.path());
                    }
                }
            }
            std::vector<std::string> args = command;
            args.insert(args.begin(), {"--store", world.phone()});
            const CliResult run = runCli(args);
            ASSERT_LT(run.exitCode, 128) << run.err;
            if (deletes) {
                for (const auto& name : splitLines(run.out)) {
                    ASSERT_EQ(before.count(name), 1u) << name;
                    expected.erase(before[name]);
                }
            }
            EXPECT_EQ(treeOf(world.outside()), outsideBefore);
            const std::set<Bytes> found = world.everywhere();
            for (const Bytes& recording : expected) EXPECT_EQ(found.count(recording), 1u) << recording.size();
        }
    }
}
