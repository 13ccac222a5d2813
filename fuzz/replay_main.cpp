// Runs the fuzz target once on every input in the folders or files named on the command line:
// the seed corpus as a regression test in the builds without libFuzzer (gcc, the sanitizer
// presets). A finding ends the process as it does under the fuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace {

std::vector<std::filesystem::path> Inputs(int count, char** arguments) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < count; ++i) {
        const std::filesystem::path named(arguments[i]);
        if (!std::filesystem::is_directory(named)) {
            inputs.push_back(named);
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(named))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
    }
    return inputs;
}

} // namespace

int main(int count, char** arguments) {
    const std::vector<std::filesystem::path> inputs = Inputs(count, arguments);
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: %s <corpus folder or input>...\n", arguments[0]);
        return 2;
    }
    for (const std::filesystem::path& input : inputs) {
        std::ifstream file(input, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu fuzz inputs without a finding\n", inputs.size());
    return 0;
}
