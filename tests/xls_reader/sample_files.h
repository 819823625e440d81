#pragma once
// The sample workbooks beside the project (../shared/samples), when there are any.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace xls_test {

// The samples folder, or empty when this checkout has none.
std::filesystem::path samplesDir();
// Every expected/*.json whose workbook exists, sorted.
std::vector<std::filesystem::path> expectedFiles();
std::vector<std::uint8_t> readBytes(const std::filesystem::path& path);

}  // namespace xls_test
