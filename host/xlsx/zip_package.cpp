#include "xlsx/zip_package.h"

#include <zip.h>

#include <memory>
#include <vector>

#include "host/host_error.h"

namespace host::xlsx {

namespace {
struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};
}  // namespace

ZipPackage::ZipPackage(std::span<const std::uint8_t> bytes, InflateLimits limits) : limits_(limits) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!source) {
        zip_error_fini(&error);
        throw HostError("the workbook cannot be read: out of memory");
    }
    archive_ = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive_) {
        zip_source_free(source);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw HostError("the file is not a readable .xlsx workbook: its zip container is damaged (" + why + ")");
    }
    zip_error_fini(&error);
}

ZipPackage::~ZipPackage() {
    if (archive_) zip_discard(archive_);
}

bool ZipPackage::has(std::string_view partName) const {
    return zip_name_locate(archive_, std::string(partName).c_str(), 0) >= 0;
}

void ZipPackage::read(std::string_view partName, const std::function<void(std::string_view chunk)>& sink) {
    const std::string name(partName);
    const zip_int64_t index = zip_name_locate(archive_, name.c_str(), 0);
    if (index < 0) throw HostError("the .xlsx workbook has no part " + name);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &stat) != 0)
        throw HostError("the .xlsx workbook's part " + name + " cannot be read");
    const std::uint64_t compressed = (stat.valid & ZIP_STAT_COMP_SIZE) ? stat.comp_size : 0;
    std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0));
    if (!file) {
        throw HostError("the .xlsx workbook's part " + name + " cannot be read: " + zip_strerror(archive_));
    }
    // The sizes in the zip's headers are what the file claims: only the bytes inflated count.
    std::vector<char> buffer(64 * 1024);
    std::uint64_t part = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
        if (n < 0) {
            throw HostError("the .xlsx workbook's part " + name +
                            " is damaged: " + zip_error_strerror(zip_file_get_error(file.get())));
        }
        if (n == 0) break;
        part += static_cast<std::uint64_t>(n);
        inflated_ += static_cast<std::uint64_t>(n);
        if (part > limits_.perPart || inflated_ > limits_.total)
            throw HostError("the .xlsx workbook is too large to open: its part " + name + " inflates too far");
        if (part > limits_.ratioSlack && part / limits_.ratio > compressed)
            throw HostError("the .xlsx workbook's part " + name +
                            " inflates more than a thousandfold: it is damaged or made to exhaust memory");
        sink(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    }
}

}  // namespace host::xlsx
