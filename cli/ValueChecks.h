#pragma once

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <string>
#include <vector>

namespace tapelink::cli {

// Option checks whose refusals name the value in Chinese (CLI11's own speak English and print a limit of
// 1.797e308 for "no limit"). The descriptions stay in --help's style.

inline std::string formatNumber(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

// A number from min to max; max may be left out.
inline CLI::Validator numberInRange(double min, double max = 0, bool bounded = true) {
    return CLI::Validator(
        [min, max, bounded](std::string& text) -> std::string {
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            if (text.empty() || end == text.c_str() || *end != '\0') return "“" + text + "”不是数字";
            if (value < min) return text + " 小于 " + formatNumber(min);
            if (bounded && value > max) return text + " 大于 " + formatNumber(max);
            return {};
        },
        bounded ? "[" + formatNumber(min) + " - " + formatNumber(max) + "]" : ">= " + formatNumber(min));
}

inline CLI::Validator numberAtLeast(double min) {
    return numberInRange(min, 0, false);
}

// One of a few words.
inline CLI::Validator oneOf(std::vector<std::string> words) {
    std::string list;
    for (const std::string& word : words) list += (list.empty() ? "" : "、") + word;
    std::string description;
    for (const std::string& word : words) description += (description.empty() ? "" : ",") + word;
    return CLI::Validator(
        [words, list](std::string& text) -> std::string {
            for (const std::string& word : words) {
                if (text == word) return {};
            }
            return "“" + text + "”不是可选的值（" + list + "）";
        },
        "{" + description + "}");
}

}  // namespace tapelink::cli
