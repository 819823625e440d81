#pragma once
// The zip container around an Office Open XML workbook, read through libzip. A part is never
// inflated whole into memory: it is handed on in chunks as it inflates, and reading stops
// with an error once a part, or the whole package, inflates past what a workbook needs.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

struct zip;

namespace host::xlsx {

struct InflateLimits {
    std::uint64_t perPart = 512ull << 20;  // bytes one part may inflate to
    std::uint64_t total = 1024ull << 20;  // bytes all parts read together may inflate to
    std::uint64_t ratio = 1000;  // inflated / compressed, once past `ratioSlack`
    std::uint64_t ratioSlack = 4ull << 20;  // small parts of repeated markup inflate far more
};

class ZipPackage {
public:
    // The package in memory (it must outlive this object). HostError when it is no zip.
    explicit ZipPackage(std::span<const std::uint8_t> bytes, InflateLimits limits = {});
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    bool has(std::string_view partName) const;
    // Inflates the part, handing each chunk to `sink` in order. HostError when the part is
    // missing, damaged or inflates past the limits.
    void read(std::string_view partName, const std::function<void(std::string_view chunk)>& sink);

private:
    zip* archive_ = nullptr;
    InflateLimits limits_;
    std::uint64_t inflated_ = 0;
};

}  // namespace host::xlsx
