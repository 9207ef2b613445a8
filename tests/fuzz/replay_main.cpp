// The main of a fuzz target in a build without libFuzzer: feeds every file named on the
// command line, and every file inside every folder named there, to LLVMFuzzerTestOneInput
// once, in name order, so that the seed corpus and the saved findings run under any
// compiler. Arguments starting with '-' (libFuzzer's options) are ignored. Exit status 0
// when every input ran, 1 when a path cannot be read; a failing check aborts the program
// inside the target, as under libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Optional in a target, as under libFuzzer.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

bool Run_File(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A copy of exactly the input's size, so that AddressSanitizer sees a read past its end.
    // Never a null pointer, as under libFuzzer.
    std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
    static std::uint8_t none;
    LLVMFuzzerTestOneInput(input.empty() ? &none : input.data(), input.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
    int ran = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;
        const std::filesystem::path path(argv[i]);
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            ok = Run_File(path) && ok;
            ++ran;
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
            if (entry.is_regular_file()) files.push_back(entry.path());
        }
        if (error) {
            std::fprintf(stderr, "cannot list %s\n", path.c_str());
            ok = false;
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            ok = Run_File(file) && ok;
            ++ran;
        }
    }
    std::printf("replayed %d inputs\n", ran);
    return ok ? 0 : 1;
}
