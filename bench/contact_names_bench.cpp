// Names for the rows of a 200,000-row list from a phonebook of 5,000 contacts: ContactDirectory (digits,
// prefixes, the area-code-less tail) against the least any lookup by number costs, an exact lookup of the
// number's text in a hash map. Prints the best of several runs of each and the ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "contacts/ContactDirectory.h"

using namespace tapelink;

namespace {

template <typename Lookup>
double bestMilliseconds(const std::vector<std::string>& numbers, Lookup lookup, int& named) {
    double best = 1e9;
    for (int run = 0; run < 7; ++run) {
        named = 0;
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& number : numbers) named += lookup(number).empty() ? 0 : 1;
        best =
            std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

}  // namespace

int main() {
    std::mt19937 random(7);
    auto digits = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
        return text;
    };
    std::vector<Contact> contacts;
    for (int i = 0; i < 5000; ++i) {
        contacts.push_back({0, "联系人" + std::to_string(i), {"13" + digits(9), "0755" + digits(8)}, ""});
    }
    // A list as the telephone keeps it: a third of the rows from the phonebook's people, the rest strangers.
    std::vector<std::string> numbers;
    for (int i = 0; i < 200000; ++i) {
        const Contact& contact = contacts[random() % contacts.size()];
        numbers.push_back(i % 3 == 0 ? contact.numbers[i % 2] : (i % 2 ? "13" + digits(9) : "0" + digits(10)));
    }

    std::unordered_map<std::string, std::string> byText;
    for (const Contact& contact : contacts) {
        for (const std::string& number : contact.numbers) byText.emplace(number, contact.name);
    }
    int baselineNamed = 0;
    const double baseline = bestMilliseconds(
        numbers,
        [&](const std::string& number) {
            const auto found = byText.find(number);
            return found == byText.end() ? std::string() : found->second;
        },
        baselineNamed);

    const ContactDirectory directory(contacts);
    int named = 0;
    const double ours = bestMilliseconds(
        numbers, [&](const std::string& number) { return directory.nameFor(number); }, named);
    std::printf(
        "contact names for %zu rows (%d named): ContactDirectory %.1f ms, exact text lookup %.1f ms (%d named), "
        "ratio %.2f\n",
        numbers.size(), named, ours, baseline, baselineNamed, ours / baseline);
    return named == baselineNamed ? 0 : 1;
}
