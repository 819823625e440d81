#include <cerrno>
#include <cstring>
#include <fstream>

#include "host/host_error.h"
#include "host/workbook_files.h"
#include "xls/host_importer.h"
#include "xls/load_workbook_bytes.h"
#include "xls/ole_container_reader.h"
#include "xls/workbook_reader.h"

namespace host {

namespace {

// Larger than any workbook the .xls format can describe sensibly; refused before reading.
constexpr std::uintmax_t kMaxFileSize = std::uintmax_t{1} << 30;

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw HostError("cannot open " + path + ": " + std::strerror(errno));
    const std::streamoff size = in.tellg();
    if (size < 0) throw HostError("cannot read " + path);
    if (static_cast<std::uintmax_t>(size) > kMaxFileSize) throw HostError("not an Excel 97-2003 workbook: the file is too large");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) throw HostError("cannot read " + path);
    return bytes;
}

}  // namespace

namespace xls {

namespace {
std::unique_ptr<Workbook> workbookFromStream(std::span<const std::uint8_t> stream) {
    auto workbook = std::make_unique<Workbook>();
    HostImporter importer(*workbook);
    readWorkbook(stream, importer);
    return workbook;
}
}  // namespace

std::unique_ptr<Workbook> loadWorkbookBytes(std::span<const std::uint8_t> file) {
    return workbookFromStream(readWorkbookStream(file));
}

}  // namespace xls

std::unique_ptr<Workbook> loadWorkbookFile(const std::string& path) {
    // The file's bytes go as soon as the workbook stream is out of them: a large workbook
    // need not be held twice while the sheets are read.
    std::vector<std::uint8_t> stream = xls::readWorkbookStream(readFile(path));
    auto workbook = xls::workbookFromStream(stream);
    workbook->setPath(path);
    return workbook;
}

}  // namespace host
