#include "designer/command_line.h"

#include <cstdint>
#include <limits>

namespace {

// Leading decimal digits after optional blanks, as a classic atoi reads them.
// `ok` is false when there are none, or when the number does not fit in a
// DWORD: such a number is refused (0), never wrapped.
DWORD ParseNumber(std::string_view value, bool* ok) {
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    constexpr std::uint64_t kMax = std::numeric_limits<DWORD>::max();
    std::uint64_t n = 0;
    bool any = false;
    bool inRange = true;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + static_cast<std::uint64_t>(value[i] - '0');
        if (n > kMax) {
            inRange = false;
            n = kMax;  // stays small enough that the next step cannot overflow
        }
        any = true;
    }
    *ok = any && inRange;
    return *ok ? static_cast<DWORD>(n) : 0;
}

}  // namespace

DesignerCommandLine ParseDesignerCommandLine(std::string_view line) {
    DesignerCommandLine result;
    std::size_t pos = line.find('-');
    while (pos != std::string_view::npos) {
        // `pos` is at a "-"; the letter follows.
        std::size_t letterAt = pos + 1;
        if (letterAt >= line.size())
            break;
        char letter = line[letterAt];
        std::size_t valueBegin = letterAt + 1;
        std::size_t next = line.find('-', valueBegin);
        std::size_t valueEnd = next == std::string_view::npos ? line.size() : next;
        std::string_view value = line.substr(valueBegin, valueEnd - valueBegin);
        switch (letter) {
            case 'C':
            case 'T':
            case 'H': {
                if (value.empty())
                    return result;
                result.optionSpans.push_back({pos, valueEnd});
                if (letter == 'C') {
                    bool ok = false;
                    result.callerHandle = ParseNumber(value, &ok);
                    result.hasCaller = ok && result.callerHandle != 0;
                } else if (letter == 'T') {
                    result.startTemplate = std::string(value);
                } else {
                    result.helpFile = std::string(value);
                }
                break;
            }
            case 'A':
                result.fullInformation = true;
                result.optionSpans.push_back({pos, valueBegin});
                break;
            default:
                // Not an option: go on with the next "-".
                next = line.find('-', letterAt);
                break;
        }
        pos = next;
    }
    return result;
}

std::string JoinArguments(const std::vector<std::string>& args) {
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i)
            line += ' ';
        line += args[i];
    }
    return line;
}

std::vector<std::string> FileArguments(const std::vector<std::string>& args,
                                       const DesignerCommandLine& parsed) {
    std::vector<std::string> files;
    std::size_t offset = 0;
    for (const std::string& arg : args) {
        std::size_t begin = offset;
        offset += arg.size() + 1;
        if (arg.empty() || arg[0] == '-')
            continue;
        bool covered = false;
        for (const auto& span : parsed.optionSpans) {
            if (begin >= span.begin && begin < span.end)
                covered = true;
        }
        if (!covered)
            files.push_back(arg);
    }
    return files;
}
