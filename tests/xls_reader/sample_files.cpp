#include "sample_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace xls_test {

std::filesystem::path samplesDir() {
    const std::filesystem::path dir = TALLOMER_SAMPLES_DIR;
    return std::filesystem::is_directory(dir / "expected") ? dir : std::filesystem::path{};
}

std::vector<std::filesystem::path> expectedFiles() {
    std::vector<std::filesystem::path> out;
    const auto dir = samplesDir();
    if (dir.empty()) return out;
    for (const auto& e : std::filesystem::directory_iterator(dir / "expected")) {
        if (e.path().extension() == ".json") out.push_back(e.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace xls_test
