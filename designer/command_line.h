// The Designer's command line: options written as "-" and one upper-case
// letter with a value that runs up to the next "-", and the file names the
// desktop hands over for opening.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

struct DesignerCommandLine {
    DWORD callerHandle = 0;        // -C: where caller events go (0: no caller)
    bool hasCaller = false;        // -C given with a number
    std::string startTemplate;     // -T: template to select at start-up
    std::string helpFile;          // -H: help file for the help command
    bool fullInformation = false;  // -A

    // Character ranges of the line covered by option letters and values
    // ([begin, end) offsets), so file names can be told from option values.
    struct Span {
        std::size_t begin = 0;
        std::size_t end = 0;
    };
    std::vector<Span> optionSpans;
};

// Parses the options of a whole command line. The line is searched only when
// it contains a "-". Each option is "-", a letter and a value running from
// the character after the letter up to the character before the next "-" (or
// the end), taken as it stands, spaces included. Any other character after a
// "-" (a lower-case letter too) is skipped. An empty value of -C, -T or -H
// ends the parsing. -C's value is the leading decimal digits after optional
// blanks; without digits, or with a number above 4294967295, it gives no
// caller (0).
DesignerCommandLine ParseDesignerCommandLine(std::string_view line);

// The argument words joined by single spaces, as the line the parser sees.
std::string JoinArguments(const std::vector<std::string>& args);

// The arguments that name files to open: words that do not begin with "-"
// and lie outside every option's value.
std::vector<std::string> FileArguments(const std::vector<std::string>& args,
                                       const DesignerCommandLine& parsed);
