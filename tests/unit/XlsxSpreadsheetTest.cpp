#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "export/ExcelExporter.h"
#include "export/TextTable.h"
#include "platform/CellTextWidth.h"
#include "platform/DesktopSpreadsheetOpener.h"
#include "platform/ExportCache.h"
#include "platform/XlsxSpreadsheet.h"
#include "platform/XlsxStatisticsWorkbook.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VolumeBuilder.h"

using namespace tapelink;
using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

class FakeOpener : public ISpreadsheetOpener {
public:
    bool available() override { return present; }
    bool open(const std::string& path, std::string& error) override {
        opened.push_back(path);
        error = openError;
        return openError.empty();
    }

    bool present = true;
    std::string openError;
    std::vector<std::string> opened;
};

TextTable smallList() {
    return TextTable({"序号", "文件名", "录音类型", "电话号码", "主/被叫", "开始时间", "录音时长", "文件长度"},
                     {{"1", "VOA00001.WAV", "通话录音", "13800138000", "主叫", "2011-05-18 09:07", "59秒", "2K"}});
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string zipMember(const std::string& archive, const std::string& member) {
    std::string output;
    if (FILE* pipe = ::popen(("unzip -p '" + archive + "' " + member).c_str(), "r")) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    void set(const std::string& name, const std::optional<std::string>& value) {
        if (!m_saved.contains(name)) {
            const char* old = std::getenv(name.c_str());
            m_saved[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
    ~ScopedEnvironment() {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

void writeScript(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
    ::chmod(path.c_str(), 0755);
}

}  // namespace

TEST(XlsxDesktopWorkbookTest, WithoutASpreadsheetApplicationNothingIsCreated) {
    TempFolder parent;
    FakeOpener opener;
    opener.present = false;
    RecordingMessages messages;
    XlsxSpreadsheet spreadsheet(opener, parent.path());
    EXPECT_FALSE(ExcelExporter(messages).ExportList(smallList(), spreadsheet));
    EXPECT_EQ(messages.texts, std::vector<std::string>{"创建Excel服务失败!"});
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(VolumeBuilder::sortedNames(parent.path()).empty());
}

TEST(XlsxDesktopWorkbookTest, ExportFoldersLiveInTheCacheFolderAndGoAfterADay) {
    TempFolder cache;
    const char* saved = std::getenv("XDG_CACHE_HOME");
    const std::string savedCache = saved != nullptr ? saved : "";
    ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    const std::string folder = exportCacheFolder();
    saved != nullptr ? ::setenv("XDG_CACHE_HOME", savedCache.c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(folder, cache.path() + "/tapelink");

    FakeOpener opener;
    RecordingMessages messages;
    XlsxSpreadsheet spreadsheet(opener, folder);  // the folder is made on the first export
    ASSERT_TRUE(ExcelExporter(messages).ExportList(smallList(), spreadsheet));
    const std::string fresh = fs::path(opener.opened.front()).parent_path().string();
    const std::string stale = folder + "/tapelink-export-old";
    const std::string unrelated = folder + "/other-old";
    const std::string linked = folder + "/tapelink-export-link";
    for (const auto& path : {stale, unrelated}) {
        fs::create_directories(path + "/inside");
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(25));
    }
    fs::create_directory_symlink(unrelated, linked);

    EXPECT_EQ(removeStaleExportFolders(folder), 1);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(opener.opened.front()));
    EXPECT_TRUE(fs::exists(unrelated + "/inside"));
    EXPECT_TRUE(fs::is_symlink(linked));
    EXPECT_TRUE(fs::exists(fresh));
}

TEST(XlsxDesktopWorkbookTest, UntitledWorkbookInAPrivateFolderIsHandedToTheApplication) {
    TempFolder parent;
    FakeOpener opener;
    RecordingMessages messages;
    {
        XlsxSpreadsheet spreadsheet(opener, parent.path());
        EXPECT_TRUE(ExcelExporter(messages).ExportList(smallList(), spreadsheet));
    }
    EXPECT_TRUE(messages.texts.empty());
    ASSERT_EQ(opener.opened.size(), 1U);
    const fs::path workbook = opener.opened.front();
    EXPECT_EQ(workbook.filename(), "工作簿1.xlsx");
    EXPECT_EQ(workbook.parent_path().parent_path(), fs::path(parent.path()).parent_path());
    // The workbook outlives the export: the application reads it after we are gone.
    ASSERT_TRUE(fs::exists(workbook));
    EXPECT_EQ(fs::status(workbook.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(readFile(workbook).substr(0, 2), "PK");
    EXPECT_NE(zipMember(workbook, "xl/sharedStrings.xml").find("13800138000"), std::string::npos);
}

TEST(XlsxDesktopWorkbookTest, ApplicationThatDoesNotTakeTheWorkbookCountsAsNoneAndLeavesNothing) {
    TempFolder parent;
    FakeOpener opener;
    opener.openError = "no display";
    RecordingMessages messages;
    XlsxSpreadsheet spreadsheet(opener, parent.path());
    EXPECT_EQ(ExcelExporter(messages).Export(smallList(), spreadsheet), ExportOutcome::NoApplication);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"创建Excel服务失败!"});
    EXPECT_EQ(opener.opened.size(), 1U);
    EXPECT_TRUE(VolumeBuilder::sortedNames(parent.path()).empty());
}

TEST(XlsxFileWorkbookTest, ReplacesTheTargetOnlyWhenComplete) {
    TempFolder folder;
    const std::string target = folder.path() + "list.xlsx";
    std::ofstream(target) << "old";
    RecordingMessages messages;

    // A text longer than a cell can hold fails the export half-way.
    TextTable tooLong({"序号", "文件名", "x", "y"}, {{"1", std::string(40000, 'a')}});
    XlsxSpreadsheet failing(target);
    EXPECT_FALSE(ExcelExporter(messages).ExportList(tooLong, failing));
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(VolumeBuilder::sortedNames(folder.path()), std::vector<std::string>{"list.xlsx"});

    XlsxSpreadsheet spreadsheet(target);
    EXPECT_TRUE(ExcelExporter(messages).ExportList(smallList(), spreadsheet));
    EXPECT_EQ(readFile(target).substr(0, 2), "PK");
    EXPECT_EQ(VolumeBuilder::sortedNames(folder.path()), std::vector<std::string>{"list.xlsx"});
}

TEST(XlsxFileWorkbookTest, MissingFolderIsReportedAndNothingIsWritten) {
    TempFolder folder;
    RecordingMessages messages;
    XlsxSpreadsheet spreadsheet(folder.path() + "missing/list.xlsx");
    EXPECT_FALSE(ExcelExporter(messages).ExportList(smallList(), spreadsheet));
    ASSERT_EQ(messages.texts.size(), 1U);
    EXPECT_NE(messages.texts.front().find("missing/list.xlsx"), std::string::npos);
    EXPECT_TRUE(VolumeBuilder::sortedNames(folder.path()).empty());
}

// The chart sheet draws the periods' rows of the period sheet, not its 合计 row; counts are numbers.
TEST(XlsxFileWorkbookTest, StatisticsChartCoversEveryPeriodButTheTotals) {
    TempFolder folder;
    CallStatistics statistics;
    for (const char* label : {"2025-01", "2025-02", "2025-03"}) {
        statistics.periods.push_back({label});
        statistics.periods.back().add(CallClass::Outgoing, 2, 120);
        statistics.totals.add(CallClass::Outgoing, 2, 120);
    }
    const std::string target = folder.path() + "统计.xlsx";
    std::string error;
    ASSERT_TRUE(writeStatisticsWorkbook(target, statistics, error)) << error;
    EXPECT_EQ(VolumeBuilder::sortedNames(folder.path()), std::vector<std::string>{"统计.xlsx"});
    const std::string chart = zipMember(target, "xl/charts/chart1.xml");
    EXPECT_NE(chart.find("$A$2:$A$4<"), std::string::npos) << chart;
    EXPECT_NE(chart.find("$D$2:$D$4<"), std::string::npos) << chart;
    const std::string periods = zipMember(target, "xl/worksheets/sheet1.xml");
    EXPECT_NE(periods.find("<c r=\"D5\"><v>6</v></c>"), std::string::npos) << periods;  // 合计 of 主叫

    EXPECT_FALSE(writeStatisticsWorkbook(folder.path() + "missing/统计.xlsx", statistics, error));
    EXPECT_NE(error.find("missing/统计.xlsx"), std::string::npos);
}

TEST(XlsxFileWorkbookTest, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    TempFolder folder;
    const std::string target = folder.path() + "list.xlsx";
    RecordingMessages messages;
    XlsxSpreadsheet spreadsheet(target);
    EXPECT_TRUE(ExcelExporter(messages).ExportList(TextTable({"a\xB2\xE2", "b", "c"}, {}), spreadsheet));
    EXPECT_NE(zipMember(target, "xl/sharedStrings.xml").find("a\xEF\xBF\xBD\xEF\xBF\xBD<"), std::string::npos);
}

TEST(CellTextWidthTest, ChineseCountsDoubleAndBrokenBytesAreRepaired) {
    std::string repaired;
    EXPECT_EQ(cellTextWidth("2011-05-18 09:07", repaired), 16);
    EXPECT_TRUE(repaired.empty());
    EXPECT_EQ(cellTextWidth("主/被叫", repaired), 7);
    EXPECT_EQ(cellTextWidth(" 新通话录音", repaired), 11);
    EXPECT_EQ(cellTextWidth("ＡＢ、。", repaired), 8);
    EXPECT_TRUE(repaired.empty());
    EXPECT_EQ(cellTextWidth("1\xE4\xB8", repaired), 3);  // a cut-off character
    EXPECT_EQ(repaired, "1\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(cellTextWidth("\xC0\x80x", repaired), 3);  // an overlong encoding
    EXPECT_EQ(repaired, "\xEF\xBF\xBD\xEF\xBF\xBDx");
}

class DesktopSpreadsheetOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder.path() + "config");
        fs::create_directories(folder.path() + "data/applications");
        fs::create_directories(folder.path() + "bin");
        environment.set("XDG_CONFIG_HOME", folder.path() + "config");
        environment.set("XDG_DATA_HOME", folder.path() + "data");
        environment.set("XDG_CONFIG_DIRS", folder.path() + "none");
        environment.set("XDG_DATA_DIRS", folder.path() + "none");
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "XDG_SESSION_DESKTOP"}) {
            environment.set(name, std::nullopt);
        }
    }

    TempFolder folder;
    ScopedEnvironment environment;
    DesktopSpreadsheetOpener opener;
};

TEST_F(DesktopSpreadsheetOpenerTest, OpensThroughGio) {
    const std::string fifo = folder.path() + "opened";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const int keepOpen = ::open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(reader, 0);
    ASSERT_GE(keepOpen, 0);
    writeScript(folder.path() + "bin/gio", "#!/bin/sh\nprintf '%s|' \"$@\" > '" + fifo + "'\n");
    environment.set("PATH", folder.path() + "bin");

    std::string error;
    EXPECT_TRUE(opener.open("/tmp/x/工作簿1.xlsx", error)) << error;
    pollfd waitFor{reader, POLLIN, 0};
    ASSERT_EQ(::poll(&waitFor, 1, 20000), 1);
    char buffer[256] = {};
    const ssize_t got = ::read(reader, buffer, sizeof buffer - 1);
    EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0), "open|/tmp/x/工作簿1.xlsx|");
    ::close(keepOpen);
    ::close(reader);
}

TEST_F(DesktopSpreadsheetOpenerTest, LauncherThatCannotStartIsReported) {
    environment.set("PATH", folder.path() + "bin");
    std::string error;
    EXPECT_FALSE(opener.available());
    EXPECT_FALSE(opener.open("/tmp/x.xlsx", error));
    EXPECT_FALSE(error.empty());

    writeScript(folder.path() + "bin/gio", "#!/nonexistent/interpreter\n");
    error.clear();
    EXPECT_TRUE(opener.available());
    EXPECT_FALSE(opener.open("/tmp/x.xlsx", error));
    EXPECT_NE(error.find("gio"), std::string::npos) << error;
}

// The desktop finds no default application only after the launcher has started: the export shows
// the failure message, offers nothing half-made and keeps no workbook in the cache.
TEST_F(DesktopSpreadsheetOpenerTest, LauncherThatFailsAfterStartingEndsTheExportAsWithoutApplication) {
    writeScript(folder.path() + "bin/gio",
                "#!/bin/sh\necho 'Failed to find default application for content type' >&2\nexit 2\n");
    environment.set("PATH", folder.path() + "bin");
    std::string error;
    EXPECT_FALSE(opener.open("/tmp/x.xlsx", error));
    EXPECT_NE(error.find("2"), std::string::npos) << error;

    const std::string cache = folder.path() + "cache";
    RecordingMessages messages;
    XlsxSpreadsheet spreadsheet(opener, cache);
    EXPECT_EQ(ExcelExporter(messages).Export(smallList(), spreadsheet), ExportOutcome::NoApplication);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"创建Excel服务失败!"});
    EXPECT_TRUE(VolumeBuilder::sortedNames(cache).empty());
}

TEST_F(DesktopSpreadsheetOpenerTest, LauncherStillBusyAfterTheAnswerTimeCountsAsStarted) {
    writeScript(folder.path() + "bin/gio", "#!/bin/sh\nexec /bin/sleep 3\n");
    environment.set("PATH", folder.path() + "bin");
    DesktopSpreadsheetOpener patient(std::chrono::milliseconds(200));
    std::string error;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(patient.open("/tmp/x.xlsx", error)) << error;
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}
