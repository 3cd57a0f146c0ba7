// Fuzz target: the Designer's command-line parser. The input is the argument
// words separated by zero bytes; the parser sees them joined, and the file
// arguments are picked out of the words. Every option span must lie inside
// the line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "designer/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(static_cast<char>(data[i]));
    }
    const std::string line = JoinArguments(args);
    const DesignerCommandLine parsed = ParseDesignerCommandLine(line);
    for (const DesignerCommandLine::Span& span : parsed.optionSpans) {
        if (span.begin > span.end || span.end > line.size())
            std::abort();
    }
    const std::vector<std::string> files = FileArguments(args, parsed);
    if (files.size() > args.size())
        std::abort();
    return 0;
}
