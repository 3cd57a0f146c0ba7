// The replayer: a plain program around one fuzz target, built when the
// target is not built with libFuzzer. It feeds each file named on the command
// line, and every regular file of each folder named (sorted by name, not
// recursive), to LLVMFuzzerTestOneInput once. A crashing input crashes the
// replayer, after its name was printed, so a test run shows which file it was.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool ReadFile(const std::filesystem::path& path, std::vector<uint8_t>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec)) {
                if (entry.is_regular_file(ec))
                    files.push_back(entry.path());
            }
            if (ec) {
                std::fprintf(stderr, "%s: %s\n", argv[i], ec.message().c_str());
                return 2;
            }
            std::sort(files.begin(), files.end());
            inputs.insert(inputs.end(), files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(arg, ec)) {
            inputs.push_back(arg);
        } else {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 2;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    for (const auto& path : inputs) {
        if (!ReadFile(path, &bytes)) {
            std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
            return 2;
        }
        std::fprintf(stderr, "%s (%zu bytes)\n", path.c_str(), bytes.size());
        // A copy of exactly the input's size, so reading past its end is
        // noticed by the sanitizers as it is under libFuzzer.
        std::vector<uint8_t> input(bytes);
        static const uint8_t kNothing = 0;
        LLVMFuzzerTestOneInput(input.empty() ? &kNothing : input.data(), input.size());
    }
    std::fprintf(stderr, "%zu inputs ran\n", inputs.size());
    return 0;
}
