#include "contacts/DemoPhonebook.h"

#include <iterator>
#include <set>

namespace tapelink {

namespace {

constexpr const char* kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                     "徐", "孙", "马", "朱", "胡", "郭", "何", "林", "罗", "高"};
constexpr const char* kGivenNames[] = {"伟", "芳", "娜", "敏", "静", "强",   "磊", "军", "洋", "勇",
                                       "艳", "杰", "涛", "明", "超", "秀英", "华", "平", "刚", "桂英"};
constexpr const char* kCompanies[] = {"深圳市华强电子有限公司", "北京中关村科技有限公司", "上海浦东物流有限公司",
                                      "广州天河贸易公司", "杭州西湖软件有限公司"};
constexpr const char* kHotlines[] = {"客服热线", "快递服务", "银行信用卡中心", "售后服务"};

// The number as a person would have typed it into a phone.
std::string written(const std::string& number, std::size_t index) {
    if (number.starts_with("400")) {
        return number.substr(0, 3) + "-" + number.substr(3, 3) + "-" + number.substr(6);
    }
    if (number.starts_with("0") && number.size() > 8) {
        const std::string area = number.substr(0, number.size() - 8);
        const std::string local = number.substr(number.size() - 8);
        // Every other landline is kept without its area code, as one dials it in its own city.
        if (index % 2 == 0) return local;
        return "(" + area + ") " + local.substr(0, 4) + "-" + local.substr(4);
    }
    if (number.size() == 11) {
        const std::string spaced = number.substr(0, 3) + " " + number.substr(3, 4) + " " + number.substr(7);
        if (index % 3 == 0) return "+86 " + spaced;
        if (index % 3 == 1) return number.substr(0, 3) + "-" + number.substr(3, 4) + "-" + number.substr(7);
        return spaced;
    }
    return number;
}

}  // namespace

std::vector<Contact> planDemoPhonebook(const std::vector<DemoRecording>& plan) {
    std::vector<Contact> contacts;
    std::set<std::string> seen;
    std::size_t index = 0;
    for (const DemoRecording& recording : plan) {
        const std::string& number = recording.info.phoneNumber;
        if (number.empty() || !seen.insert(number).second) continue;
        const std::size_t i = index++;
        if (i % 4 == 3) continue;  // an unknown caller
        Contact contact;
        if (number.starts_with("400")) {
            contact.name = kHotlines[i % std::size(kHotlines)];
            contact.name += std::to_string(i);
        } else {
            const std::size_t person = contacts.size();
            contact.name = std::string(kSurnames[person % std::size(kSurnames)]) +
                           kGivenNames[(person / std::size(kSurnames) + person) % std::size(kGivenNames)];
            if (person >= std::size(kSurnames) * std::size(kGivenNames)) contact.name += std::to_string(person);
            if (i % 5 == 0) contact.company = kCompanies[i / 5 % std::size(kCompanies)];
        }
        contact.numbers.push_back(written(number, i));
        contacts.push_back(std::move(contact));
    }
    return contacts;
}

}  // namespace tapelink
