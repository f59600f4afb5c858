#include <gtest/gtest.h>

#include "contacts/ContactCsv.h"
#include "contacts/ContactDirectory.h"
#include "contacts/ContactVcard.h"
#include "contacts/DemoPhonebook.h"

using namespace tapelink;

namespace tapelink {

void PrintTo(const Contact& contact, std::ostream* out) {
    *out << contact.name << " [";
    for (const std::string& number : contact.numbers) *out << number << ';';
    *out << "] " << contact.company;
}
void PrintTo(const SkippedLine& skip, std::ostream* out) {
    *out << skip.line << ' ' << skip.reason;
}

}  // namespace tapelink

namespace {

using Contacts = std::vector<Contact>;
using Skips = std::vector<SkippedLine>;

}  // namespace

TEST(ContactCsv, HeaderNamesColumnsAndQuotedCellsKeepCommasQuotesAndLineBreaks) {
    const ContactFileContents read = readContactCsv(
        "\xEF\xBB\xBF序号,姓名,手机,办公电话,单位\r\n"
        "1,张伟,138 1234 5678,\"(0755) 8888-6666, 8888-6667\",\"甲公司, 深圳\"\r\n"
        "2,\"李\"\"娜\"\"\",,010-6552-1234,\"多行\r\n单位\"\r\n"
        "\r\n"
        "3,王芳,,,\r\n"
        "4,,,,\r\n"
        "5,赵六,\"13900001111");
    EXPECT_EQ(read.contacts, (Contacts{{0, "张伟", {"138 1234 5678", "(0755) 8888-6666", "8888-6667"}, "甲公司, 深圳"},
                                       {0, "李\"娜\"", {"010-6552-1234"}, "多行 单位"}}));
    EXPECT_EQ(read.skipped, (Skips{{6, "没有电话号码"}, {7, "空记录"}, {8, "引号未闭合"}}));
    EXPECT_EQ(read.skippedCount, 3);
}

TEST(ContactCsv, GbkWithoutHeaderAndColumnsGivenExplicitly) {
    // 张伟 and 李娜 in GBK, tab-separated, number first.
    const std::string gbk = "13812345678\t\xD5\xC5\xCE\xB0\t\xB9\xAB\xCB\xBE\n10086\t\xC0\xEE\xC4\xC8\t\n";
    EXPECT_EQ(readContactCsv(gbk, {1, {0}, 2}).contacts,
              (Contacts{{0, "张伟", {"13812345678"}, "公司"}, {0, "李娜", {"10086"}, ""}}));
    EXPECT_EQ(readContactCsv("13812345678,x,\xD5\xC5\xCE\xB0\n", {-1, {0}, -1}).contacts,
              (Contacts{{0, "x", {"13812345678"}, ""}}));
    // Without columns: name, number, company; a first row with a number is data, not a header.
    EXPECT_EQ(readContactCsv("Tel Shop,95588\nName,Phone\n").contacts, (Contacts{{0, "Tel Shop", {"95588"}, ""}}));
    EXPECT_EQ(readContactCsv("Company Name,Full Name,Mobile Phone\nACME,Wang Li,+86 139 0000 1111\n").contacts,
              (Contacts{{0, "Wang Li", {"+86 139 0000 1111"}, "ACME"}}));
}

TEST(ContactCsv, ExportReadsBackAsTheSameContacts) {
    const Contacts contacts = {{0, "张伟", {"138 1234 5678", "0755-88886666"}, "甲公司, \"深圳\""},
                               {0, "前台", {"10086"}, ""}};
    const std::string text = contactCsvText(contacts);
    EXPECT_TRUE(
        text.starts_with("\xEF\xBB\xBF姓名,电话号码,单位\r\n张伟,\"138 1234 5678,0755-88886666\","
                         "\"甲公司, \"\"深圳\"\"\"\r\n"));
    const ContactFileContents read = readContactCsv(text);
    EXPECT_EQ(read.contacts, contacts);
    EXPECT_TRUE(read.skipped.empty());
}

TEST(ContactCsv, ListsInOneCellGiveOneNumberEach) {
    // As an online address book exports: " ::: " between a contact's numbers of one type.
    const ContactFileContents read = readContactCsv(
        "Name,Given Name,Phone 1 - Type,Phone 1 - Value,Organization 1 - Name\n"
        "张伟,伟,* Mobile,+86 138 1234 5678 ::: 021-87654321-8012,甲公司\n"
        "李娜,娜,Work,\"13900001111\n0755 8888 6666\n转 123\",\n"
        "王芳,芳,Home,\"0755\n8888 6666\",\n"
        "赵六,六,Work,ext. 5; 95588,\n");
    EXPECT_EQ(read.contacts, (Contacts{{0, "张伟", {"+86 138 1234 5678", "021-87654321-8012"}, "甲公司"},
                                       {0, "李娜", {"13900001111", "0755 8888 6666 转 123"}, ""},
                                       {0, "王芳", {"0755 8888 6666"}, ""},
                                       {0, "赵六", {"95588"}, ""}}));
}

TEST(ContactVcard, PhoneAndMailProgramExportsOfEveryVersion) {
    const std::string file =
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0;=E4=BC=9F;;;\r\n"
        "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=E5=BC=A0=\r\n=E4=BC=9F\r\n"
        "TEL;CELL:138-1234-5678\r\nTEL;WORK;VOICE:(0755)88886666\r\n"
        "ORG;CHARSET=GBK:\xB9\xAB\xCB\xBE\r\nEND:VCARD\r\n"
        "garbage \x01\x02 line\r\nmore garbage\r\n"
        "BEGIN:VCARD\nVERSION:3.0\nN:Li;Na;;;\nitem1.TEL;TYPE=CELL:+86 139\n  0000 1111\n"
        "ORG:ACME\\, Inc.;Sales\nPHOTO;ENCODING=b:AAAA\n  BBBB\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:4.0\nFN:Nobody\nEMAIL:a@b.c\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:4.0\nN:王;芳;;;\nTEL;VALUE=uri;TYPE=\"voice,cell\":tel:+86-10-6552-1234;ext=5\n"
        "END:VCARD\n"
        "BEGIN:VCARD\nFN:李娜\nTEL:10086";  // cut off
    const ContactFileContents read = readContactVcard(file);
    EXPECT_EQ(read.contacts, (Contacts{{0, "张伟", {"138-1234-5678", "(0755)88886666"}, "公司"},
                                       {0, "Na Li", {"+86 139 0000 1111"}, "ACME, Inc."},
                                       {0, "王芳", {"+86-10-6552-1234 转 5"}, ""},
                                       {0, "李娜", {"10086"}, ""}}));
    EXPECT_EQ(read.skipped, (Skips{{10, "不是名片内容"}, {21, "没有电话号码"}}));
}

TEST(ContactVcard, EncodingIsTheFilesNotEachFields) {
    // GBK without a charset: the bytes of 强伟 and of 转 alone are also valid UTF-8 (ǿΰ, ת), 李娜's are not.
    const std::string gbk =
        "BEGIN:VCARD\nFN:\xC7\xBF\xCE\xB0\nTEL:0571-88886666 \xD7\xAA 123\nEND:VCARD\n"
        "BEGIN:VCARD\nFN:\xC0\xEE\xC4\xC8\nTEL:95588\nEND:VCARD\n";
    EXPECT_EQ(readContactVcard(gbk).contacts,
              (Contacts{{0, "强伟", {"0571-88886666 转 123"}, ""}, {0, "李娜", {"95588"}, ""}}));
    // UTF-8 with one field marked GBK: the rest stays UTF-8.
    const std::string mixed = "BEGIN:VCARD\nFN:张转\nTEL:10086\nORG;CHARSET=GBK:\xB9\xAB\xCB\xBE\nEND:VCARD\n";
    EXPECT_EQ(readContactVcard(mixed).contacts, (Contacts{{0, "张转", {"10086"}, "公司"}}));
}

TEST(ContactFiles, JunkAndGiantLinesGiveSkipsNotContacts) {
    std::string junk(300000, '\x9F');
    junk += "\n" + std::string(2000, 'x') + ",13812345678\n" + std::string("\0\0\0,\"\n", 6);
    const ContactFileContents csv = readContactCsv(junk);
    EXPECT_TRUE(csv.contacts.empty());
    EXPECT_EQ(csv.skippedCount, 3);
    const ContactFileContents vcard = readContactVcard(junk);
    EXPECT_TRUE(vcard.contacts.empty());
    EXPECT_EQ(vcard.skipped, (Skips{{1, "不是名片内容"}}));
}

TEST(DemoPhonebook, NamesMostDemoNumbersInTheirManyWrittenFormsAndSurvivesItsVcard) {
    const std::vector<DemoRecording> plan = planDemoVolume({160, 9, 90});
    const Contacts contacts = planDemoPhonebook(plan);
    const ContactDirectory directory(contacts);
    int named = 0;
    int numbered = 0;
    for (const DemoRecording& recording : plan) {
        if (recording.info.phoneNumber.empty()) continue;
        ++numbered;
        if (!directory.nameFor(recording.info.phoneNumber).empty()) ++named;
    }
    EXPECT_GT(named, numbered / 2);
    EXPECT_LT(named, numbered);
    const ContactFileContents read = readContactVcard(contactVcardText(contacts));
    EXPECT_EQ(read.contacts, contacts);
    EXPECT_EQ(read.skippedCount, 0);
}
