#include "cli/UsageErrorText.h"

#include <vector>

#include "cli/CellText.h"

namespace tapelink::cli {

namespace {

// CLI11's texts are taken apart by their fixed English wording; one that is not recognised is still
// reported, under a Chinese heading.

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string between(const std::string& text, const std::string& open, const std::string& close) {
    const auto start = text.find(open);
    if (start == std::string::npos) return {};
    const auto from = start + open.size();
    const auto end = close.empty() ? std::string::npos : text.find(close, from);
    return text.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

// "--older-than" is an option, "FILE" an argument.
std::string what(const std::string& name) {
    return (startsWith(name, "-") ? "选项 " : "参数 ") + name;
}

// "[--all,--rows, --names]" as "--all、--rows、--names".
std::string optionList(const std::string& text) {
    std::string list = between(text, "[", "]");
    for (auto at = list.find(','); at != std::string::npos; at = list.find(',', at)) {
        list.replace(at, list.compare(at, 2, ", ") == 0 ? 2 : 1, "、");
    }
    return list;
}

// The subcommand the command line had reached, and its words ("tapelink-cli archive").
const CLI::App* reachedCommand(const CLI::App& app, std::string& words) {
    const CLI::App* current = &app;
    words = app.get_name();
    for (;;) {
        const std::vector<const CLI::App*> parsed =
            current->get_subcommands([](const CLI::App* sub) { return !sub->get_name().empty() && sub->parsed(); });
        if (parsed.empty()) return current;
        current = parsed.front();
        words += " " + current->get_name();
    }
}

std::string subcommandNames(const CLI::App& command) {
    std::string names;
    for (const CLI::App* sub : command.get_subcommands([](const CLI::App* s) { return !s->get_name().empty(); })) {
        names += (names.empty() ? "" : "、") + sub->get_name();
    }
    return names;
}

std::string extrasText(const CLI::App& command, const std::string& message) {
    // The extra words, blank-separated (in an order that depends on where CLI11 found them): an unknown
    // option is named first, else the first word.
    const std::string extras = between(message, "expected: ", "");
    const std::string first = extras.substr(0, extras.find(' '));
    for (std::size_t start = 0; start < extras.size();) {
        const auto end = extras.find(' ', start);
        const std::string word = extras.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (startsWith(word, "-")) return "未知选项：" + word;
        start = end == std::string::npos ? extras.size() : end + 1;
    }
    const std::string names = subcommandNames(command);
    if (!names.empty()) return "未知命令：" + first + "（可用的命令：" + names + "）";
    return "多余的参数：" + first;
}

std::string requiredText(const CLI::App& command, const std::string& message) {
    if (startsWith(message, "A subcommand")) {
        const std::vector<std::string> left = command.remaining();
        if (!left.empty() && !startsWith(left.front(), "-")) {
            return "未知命令：" + left.front() + "（可用的命令：" + subcommandNames(command) + "）";
        }
        // An option no command takes, in place of the command ("tapelink-cli -V").
        if (!left.empty()) return "未知选项：" + left.front() + "；缺少命令，可用的命令：" + subcommandNames(command);
        return "缺少命令，可用的命令：" + subcommandNames(command);
    }
    if (startsWith(message, "Exactly 1 option from")) {
        return (endsWith(message, "were given") ? "以下选项只能给出一个：" : "请给出以下选项之一：") +
               optionList(message);
    }
    if (startsWith(message, "At least 1 option from")) return "请至少给出以下选项之一：" + optionList(message);
    if (endsWith(message, " is required")) {
        const std::string name = message.substr(0, message.size() - std::string(" is required").size());
        return "缺少必需的" + what(name);
    }
    return "缺少必需的选项：" + message;
}

std::string valueText(const std::string& message) {
    // "NAME: why" from a check, "Could not convert: NAME = VALUE", "The value VALUE is not an allowed value for NAME".
    if (startsWith(message, "Could not convert: ")) {
        const std::string rest = message.substr(std::string("Could not convert: ").size());
        const auto equals = rest.find(" = ");
        if (equals != std::string::npos) {
            return what(rest.substr(0, equals)) + " 的值不对：“" + rest.substr(equals + 3) + "”无法识别";
        }
    }
    if (startsWith(message, "The value ")) {
        const std::string value = between(message, "The value ", " is not an allowed value for ");
        const std::string name = between(message, " is not an allowed value for ", "");
        if (!name.empty()) return what(name) + " 的值不对：“" + value + "”无法识别";
    }
    const auto colon = message.find(": ");
    if (colon == std::string::npos) return "值不对：" + message;
    const std::string name = message.substr(0, colon);
    const std::string why = message.substr(colon + 2);
    if (why == "too many inputs for a flag") return what(name) + " 不带值";
    return what(name) + " 的值不对：" + why;
}

std::string countText(const std::string& message) {
    // "NAME: 1 required TYPE missing", "Expected exactly N arguments to NAME, got M", "NAME: At least ...".
    std::string name = between(message, " arguments to ", ", got");
    if (name.empty()) name = message.substr(0, message.find(':'));
    if (endsWith(message, " missing") || endsWith(message, "got 0") || endsWith(message, "received 0")) {
        return what(name) + " 缺少值";
    }
    return what(name) + " 的值的个数不对";
}

template <typename Kind>
bool is(const CLI::Error& error) {
    return dynamic_cast<const Kind*>(&error) != nullptr;
}

}  // namespace

std::string usageErrorText(const CLI::App& app, const CLI::Error& error) {
    std::string words;
    const CLI::App& command = *reachedCommand(app, words);
    const std::string message = cellText(error.what());
    // By type, not by get_name(): CLI11 gives some errors the subcommand's name instead of the type's.
    std::string text;
    if (is<CLI::ExtrasError>(error)) {
        text = extrasText(command, message);
    } else if (is<CLI::RequiredError>(error)) {
        text = requiredText(command, message);
    } else if (is<CLI::ValidationError>(error) || is<CLI::ConversionError>(error)) {
        text = valueText(message);
    } else if (is<CLI::ArgumentMismatch>(error)) {
        text = countText(message);
    } else if (is<CLI::RequiresError>(error)) {
        text = "选项 " + message.substr(0, message.find(" requires ")) + " 需要与 " +
               between(message, " requires ", "") + " 一起使用";
    } else if (is<CLI::ExcludesError>(error)) {
        text = what(message.substr(0, message.find(" excludes "))) + " 和 " + between(message, " excludes ", "") +
               " 不能同时使用";
    } else {
        text = "命令行参数不对：" + message;
    }
    return text + "\n用 " + words + " --help 查看用法。\n";
}

}  // namespace tapelink::cli
