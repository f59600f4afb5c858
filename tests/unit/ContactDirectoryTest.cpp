#include <gtest/gtest.h>

#include "contacts/ContactDirectory.h"

using namespace tapelink;

namespace {

Contact contact(std::string name, std::vector<std::string> numbers) {
    return {0, std::move(name), numbers, ""};
}

}  // namespace

TEST(ContactDirectory, MobileNumberMatchesInEveryWrittenForm) {
    const ContactDirectory directory({contact("张伟", {"138 1234 5678"})});
    for (const char* number : {"13812345678", "+86 138-1234-5678", "0086 138 1234 5678", "(+86)138.1234.5678",
                               "8613812345678", "013812345678", "１３８１２３４５６７８"}) {
        EXPECT_EQ(directory.nameFor(number), "张伟") << number;
    }
    EXPECT_EQ(directory.nameFor("13812345679"), "");
    EXPECT_EQ(directory.nameFor("+1 138 1234 5678"), "");  // another country's number
    EXPECT_EQ(directory.nameFor(""), "");
}

TEST(ContactDirectory, LandlineMatchesWithOrWithoutItsAreaCode) {
    const ContactDirectory directory({contact("深圳公司", {"(0755) 8888-6666"}), contact("王芳", {"65521234"}),
                                      contact("国际", {"+86 21 6123 4567"})});
    EXPECT_EQ(directory.nameFor("88886666"), "深圳公司");  // dialled locally
    EXPECT_EQ(directory.nameFor("075588886666"), "深圳公司");
    EXPECT_EQ(directory.nameFor("+86 755 8888 6666"), "深圳公司");
    EXPECT_EQ(directory.nameFor("010-6552-1234"), "王芳");
    EXPECT_EQ(directory.nameFor("021-6123-4567"), "国际");
    EXPECT_EQ(directory.nameFor("61234567"), "国际");
    // Another area's subscriber with the same local number is someone else.
    EXPECT_EQ(directory.nameFor("02188886666"), "");
    // A mobile number has no area code: its last 8 digits are not a landline.
    EXPECT_EQ(directory.nameFor("13965521234"), "");
    EXPECT_EQ(ContactDirectory({contact("李明", {"13812345678"})}).nameFor("12345678"), "");
}

TEST(ContactDirectory, ServiceNumbersMatchOnlyExactly) {
    const ContactDirectory directory(
        {contact("工商银行", {"95588"}), contact("中国移动", {"10086"}), contact("客服", {"400-820-8820"})});
    EXPECT_EQ(directory.nameFor("95588"), "工商银行");
    EXPECT_EQ(directory.nameFor("10086"), "中国移动");
    EXPECT_EQ(directory.nameFor("4008208820"), "客服");
    EXPECT_EQ(directory.nameFor("075595588"), "");
    EXPECT_EQ(directory.nameFor("1008"), "");
    EXPECT_EQ(directory.nameFor("8208820"), "");
}

TEST(ContactDirectory, TwoContactsThatFitGiveNoName) {
    const ContactDirectory directory({contact("张伟", {"0755-88886666", "13812345678"}),
                                      contact("李娜", {"010-88886666"}), contact("前台", {"020 12345678"}),
                                      contact("前台2", {"02012345678"}), contact("张伟", {"+86 138 1234 5678"})});
    EXPECT_EQ(directory.nameFor("88886666"), "");  // Shenzhen or Beijing
    EXPECT_EQ(directory.nameFor("075588886666"), "张伟");
    EXPECT_EQ(directory.nameFor("01088886666"), "李娜");
    EXPECT_EQ(directory.nameFor("02012345678"), "");  // one number, two contacts
    EXPECT_EQ(directory.nameFor("12345678"), "");
    // One person entered twice under one name is still one person.
    EXPECT_EQ(directory.nameFor("13812345678"), "张伟");
}

TEST(ContactDirectory, NamesContainingMatchesSubstringsOnceEach) {
    const ContactDirectory directory({contact("张伟", {"1"}), contact("张伟", {"2"}), contact("王张", {}),
                                      contact("Wang Li", {}), contact("李娜", {})});
    EXPECT_EQ(directory.namesContaining("张"), (std::vector<std::string>{"张伟", "王张"}));
    EXPECT_EQ(directory.namesContaining("wang"), (std::vector<std::string>{"Wang Li"}));
    EXPECT_TRUE(directory.namesContaining("赵").empty());
    EXPECT_TRUE(ContactDirectory().empty());
    EXPECT_EQ(ContactDirectory().nameFor("10086"), "");
}

TEST(ContactDirectory, ExtensionsAreKeptApartAndTheMainLineMatches) {
    const ContactDirectory directory({contact("前台", {"021-87654321-8012"}), contact("杭州", {"0571-88886666 转 123"}),
                                      contact("北京", {"010-12345678 ext. 12"}), contact("深圳", {"0755-26668888x12"}),
                                      contact("广州", {"020-83338888 分机 12"}), contact("本地", {"66554433-9"})});
    EXPECT_EQ(directory.nameFor("02187654321"), "前台");
    EXPECT_EQ(directory.nameFor("87654321"), "前台");
    EXPECT_EQ(directory.nameFor("057188886666"), "杭州");
    EXPECT_EQ(directory.nameFor("01012345678"), "北京");
    EXPECT_EQ(directory.nameFor("075526668888"), "深圳");
    EXPECT_EQ(directory.nameFor("02083338888"), "广州");
    EXPECT_EQ(directory.nameFor("66554433"), "本地");
    EXPECT_EQ(ContactDirectory::extensionDigits("0571-88886666 转 123"), "123");
    EXPECT_EQ(ContactDirectory::extensionDigits("021-87654321-8012"), "8012");
    // Dashes that group a number's own digits are no extension.
    for (const char* grouped :
         {"010-6552-1234", "0755-8888-6666", "+86-10-6552-1234", "138-1234-5678", "400-820-8820"}) {
        EXPECT_EQ(ContactDirectory::extensionDigits(grouped), "") << grouped;
    }
    EXPECT_EQ(ContactDirectory::dialledDigits("+86-10-6552-1234"), "1065521234");
}

TEST(ContactDirectory, ASharedNumberFitsEveryContactThatHasIt) {
    const ContactDirectory directory({contact("张三", {"13812345678"}), contact("李四", {"0755-88886666"}),
                                      contact("王五", {"+86 138 1234 5678"}), contact("赵六", {"010-88886666"}),
                                      contact("旧", {"13900001111 ::: 0571-66667777"})});
    EXPECT_EQ(directory.nameFor("13812345678"), "");
    EXPECT_EQ(directory.namesFitting("13812345678"), (std::vector<std::string>{"张三", "王五"}));
    EXPECT_EQ(directory.namesFitting("88886666"), (std::vector<std::string>{"李四", "赵六"}));
    EXPECT_EQ(directory.namesFitting("075588886666"), std::vector<std::string>{"李四"});
    EXPECT_TRUE(directory.namesFitting("13900000000").empty());
    // A list stored as one number by an older import still matches each of its numbers.
    EXPECT_EQ(directory.nameFor("057166667777"), "旧");
    EXPECT_EQ(directory.nameFor("13900001111"), "旧");
}
