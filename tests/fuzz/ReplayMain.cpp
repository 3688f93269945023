// Runs a fuzz target over files and folders of inputs without libFuzzer, so
// that every build replays the kept corpus.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int Replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        int here = 0;
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path)) {
                if (entry.is_regular_file()) here += Replay(entry.path());
            }
        } else if (std::filesystem::is_regular_file(path)) {
            here = Replay(path);
        }
        // A corpus that has gone missing must not pass as replayed.
        if (here == 0) {
            std::fprintf(stderr, "no inputs at %s\n", path.c_str());
            return 1;
        }
        count += here;
    }
    std::printf("replayed %d inputs\n", count);
    return count > 0 ? 0 : 1;
}
