// Fuzz target: the ".reg" hive parser. The input is a hive file's text. The
// hive it gives, written out and read again, must be the same hive, and its
// written text must be stable.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry_hive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string root = "HKEY_CURRENT_USER";
    platform::RegHive hive;
    if (platform::RegHive::Parse(text, "fuzz.reg", root, &hive) !=
        platform::RegHive::ParseStatus::kHive)
        return 0;
    const std::string written = hive.Write(root);
    platform::RegHive reread;
    std::size_t badLines = 0;
    if (platform::RegHive::Parse(written, "written.reg", root, &reread, &badLines) !=
            platform::RegHive::ParseStatus::kHive ||
        badLines != 0 || !(reread == hive) || reread.Write(root) != written) {
        std::abort();  // a hive written out does not read back as itself
    }
    return 0;
}
