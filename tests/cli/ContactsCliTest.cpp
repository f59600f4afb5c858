// tapelink-cli contacts: importing, listing, exporting and editing an archive's phonebook, and an archive
// that can only be read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/fault/SmallDisk.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFolder.h"

using namespace tapelink::test;
namespace fs = std::filesystem;

namespace {

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

class ContactsCliTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(archive()); }
    std::string archive() const { return folder.path() + "archive"; }
    CliResult contacts(std::vector<std::string> args) const {
        args.insert(args.begin(), {"contacts", "--archive", archive()});
        return runCli(args, {{"HOME", folder.path()}});
    }
    TempFolder folder;
};

TEST_F(ContactsCliTest, ImportsListsExportsAndEditsThePhonebook) {
    write(folder.path() + "phone.vcf",
          "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=E4=BC=9F\r\n"
          "TEL;CELL:138-1234-5678\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Nobody\r\nEND:VCARD\r\n");
    // GBK, no header, number in the first column: 李娜 and 甲公司.
    write(folder.path() + "list.txt", "010-6552-1234,\xC0\xEE\xC4\xC8,\xBC\xD7\xB9\xAB\xCB\xBE\n\"95588,\n");

    CliResult imported = contacts({"import", folder.path() + "phone.vcf"});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.out, "新增 1 个，更新 0 个，未变 0 个，跳过 1 个\n");
    EXPECT_EQ(imported.err, folder.path() + "phone.vcf:6: 已跳过：没有电话号码\n");
    imported = contacts(
        {"import", folder.path() + "list.txt", "--name-column", "2", "--number-column", "1", "--company-column", "3"});
    EXPECT_EQ(imported.exitCode, 0);
    EXPECT_EQ(imported.out, "新增 1 个，更新 0 个，未变 0 个，跳过 1 个\n");
    EXPECT_EQ(imported.err, folder.path() + "list.txt:2: 已跳过：引号未闭合\n");
    EXPECT_EQ(contacts({"import", folder.path() + "phone.vcf"}).out, "新增 0 个，更新 0 个，未变 1 个，跳过 1 个\n");

    ASSERT_EQ(contacts({"add", "张伟", "0755 8888 6666", "+86 138 1234 5678"}).exitCode, 0);
    ASSERT_EQ(contacts({"add", "前台\t1", "10086", "--company", "移动"}).exitCode, 0);
    EXPECT_EQ(contacts({"list"}).out,
              "前台\xEF\xBF\xBD"
              "1\t10086\t移动\n"
              "张伟\t138-1234-5678,0755 8888 6666\t\n"
              "李娜\t010-6552-1234\t甲公司\n");

    const CliResult exported = contacts({"export", folder.path() + "out.csv"});
    EXPECT_EQ(exported.out, "已导出 3 个联系人\n");
    EXPECT_EQ(read(folder.path() + "out.csv"),
              "\xEF\xBB\xBF姓名,电话号码,单位\r\n前台\t1,10086,移动\r\n张伟,\"138-1234-5678,0755 8888 6666\",\r\n"
              "李娜,010-6552-1234,甲公司\r\n");

    EXPECT_EQ(contacts({"remove", "李娜"}).exitCode, 0);
    const CliResult again = contacts({"remove", "李娜"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "没有这个联系人：李娜\n");
    EXPECT_EQ(contacts({"add", "x", "abc"}).exitCode, 2);
    EXPECT_EQ(contacts({"import"}).exitCode, 2);
    EXPECT_EQ(contacts({"import", folder.path() + "missing.csv"}).exitCode, 1);
    EXPECT_EQ(splitLines(contacts({"list"}).out).size(), 2u);
}

TEST(ContactsReadOnlyCliTest, AReadOnlyArchiveListsItsPhonebookAndRefusesChanges) {
    SmallDisk disk(4 << 20);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    TempFolder home;
    const std::vector<std::string> base = {"contacts", "--archive", disk.path()};
    auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), base.begin(), base.end());
        return runCli(args, {{"HOME", home.path()}});
    };
    ASSERT_EQ(run({"add", "张伟", "13812345678"}).exitCode, 0);
    if (!disk.remountReadOnly()) GTEST_SKIP() << "the tmpfs can't be remounted read-only here";
    const CliResult listed = run({"list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "张伟\t13812345678\t\n");
    const CliResult added = run({"add", "李娜", "10086"});
    EXPECT_EQ(added.exitCode, 1);
    EXPECT_EQ(added.err, "存档索引为只读，联系人无法保存！\n");
    EXPECT_EQ(run({"list"}).out, listed.out);
}
