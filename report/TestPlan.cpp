#include "report/TestPlan.h"

#include "capture/InputLimits.h"
#include "capture/LineSplitter.h"
#include "common/TerminalText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    for (std::size_t at = text.find_first_not_of(kBlanks); at != std::string_view::npos;
         at = text.find_first_not_of(kBlanks, at)) {
        const std::size_t end = std::min(text.find_first_of(kBlanks, at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

// A value copied from a shell command keeps its quotes: "1-10,12:front".
std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

// One expectation from the text of its line; empty error when it parsed.
std::string ParseExpectation(std::string_view line, Expectation& expectation) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return "expected a name, a colon and a message, as in \"Heartbeat: 11\"";
    expectation.name = Trimmed(line.substr(0, colon));
    if (expectation.name.empty())
        return "no name before the colon";
    expectation.message = Trimmed(line.substr(colon + 1));
    const std::vector<std::string_view> words = Words(expectation.message);
    std::size_t next = !words.empty() && words.front() == "--command" ? 1 : 0;
    if (next >= words.size())
        return "no command after the colon (10, 11 or 20)";
    const std::string commandText(words[next++]);
    const auto command = ParseCommand(commandText);
    if (!command)
        return "not a command: " + commandText + " (10, 11 or 20)";
    expectation.fields.command = *command;
    bool counted = false;
    while (next < words.size()) {
        std::string_view option = words[next++];
        if (!option.starts_with("--"))
            return "unexpected text: " + std::string(option) + " (fields are written --gate 3)";
        option.remove_prefix(2);
        std::string_view value;
        if (const std::size_t equals = option.find('='); equals != std::string_view::npos) {
            value = option.substr(equals + 1);
            option = option.substr(0, equals);
        } else if (next < words.size()) {
            value = words[next++];
        } else {
            return "--" + std::string(option) + " needs a value";
        }
        value = Unquoted(value);
        const std::string name = "--" + std::string(option);
        const std::string bad = name + ": not a valid value: " + std::string(value);
        if (option == "count") {
            const auto count = ParseNumber(value, 1, kMaxCount);
            if (counted)
                return name + " given twice";
            if (!count)
                return bad + " (1 to " + std::to_string(kMaxCount) + ")";
            expectation.count = *count;
            counted = true;
            continue;
        }
        const auto word = FindFieldWord(option);
        if (!word)
            return "unknown field: " + name + " (gate, dest-floor, door, attr, seq, floors or count)";
        if (expectation.Gives(*word))
            return name + " given twice";
        if (!SetField(expectation.fields, *word, value))
            return bad;
        if (!CommandHolds(*command, *word))
            return name + ": a message of command " + commandText + " has no such field";
        expectation.given = static_cast<std::uint8_t>(expectation.given | 1 << static_cast<int>(*word));
    }
    return {};
}

TestPlan Refused(int line, std::string reason) {
    TestPlan plan;
    plan.errorLine = line;
    plan.error = std::move(reason);
    return plan;
}

} // namespace

std::string TestPlan::ErrorText() const {
    return errorLine > 0 ? "line " + std::to_string(errorLine) + ": " + error : error;
}

TestPlan ParseTestPlan(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) // the byte order mark some editors write
        text.remove_prefix(3);
    TestPlan plan;
    std::map<std::string, int, std::less<>> names;
    LineSplitter lines(text);
    std::string_view line;
    for (int number = 1; lines.Next(line); ++number) {
        if (number == 1) {
            if (std::string problem = EncodingProblem(line); !problem.empty())
                return Refused(number, problem);
        }
        if (!IsUtf8(line))
            return Refused(number, "not UTF-8 text");
        const std::string_view content = Trimmed(line);
        if (content.empty() || content.starts_with('#'))
            continue;
        Expectation expectation;
        expectation.line = number;
        if (std::string reason = ParseExpectation(content, expectation); !reason.empty())
            return Refused(number, std::move(reason));
        const auto [at, added] = names.emplace(expectation.name, number);
        if (!added)
            return Refused(number, "the name \"" + expectation.name + "\" is already used on line " +
                                       std::to_string(at->second));
        plan.expectations.push_back(std::move(expectation));
    }
    if (plan.expectations.empty())
        return Refused(0, "the plan lists no expectation");
    return plan;
}

TestPlan LoadTestPlan(const std::string& path) {
    std::error_code error;
    // A folder, a named pipe or a device is never a plan, and reading a pipe could wait forever.
    if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error))
        return Refused(0, path + " is not a regular file");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return Refused(0, "cannot read " + path + ": " + std::strerror(errno));
    std::string text(kMaxPlanBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad())
        return Refused(0, "cannot read " + path + ": " + std::strerror(errno));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaxPlanBytes)
        return Refused(0,
                       path + " is larger than " + std::to_string(kMaxPlanBytes >> 20) + " MB; not a plan");
    return ParseTestPlan(text);
}
