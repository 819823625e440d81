#include "xls/biff_version.h"

#include "xls/biff_constants.h"
#include "xls/byte_reader.h"

namespace host::xls {

std::optional<BiffVersion> bofVersion(std::uint16_t id, std::span<const std::uint8_t> body) {
    switch (id) {
        case 0x0009: return BiffVersion::Biff2;
        case 0x0209: return BiffVersion::Biff3;
        case 0x0409: return BiffVersion::Biff4;
        case kBof:
            if (body.size() < 2) return BiffVersion::Biff8;  // too short to say; the caller checks the size
            return loadU16(body.data()) < kBiff8Version ? BiffVersion::Biff5 : BiffVersion::Biff8;
        default: return std::nullopt;
    }
}

std::optional<BiffVersion> olderBiffVersion(std::span<const std::uint8_t> file) {
    if (file.size() < 4) return std::nullopt;
    const std::uint16_t id = loadU16(file.data());
    const std::uint16_t length = loadU16(file.data() + 2);
    if (length > file.size() - 4) return std::nullopt;
    const auto v = bofVersion(id, file.subspan(4, length));
    if (!v || *v == BiffVersion::Biff8) return std::nullopt;
    return v;
}

std::string olderFormatMessage(BiffVersion version) {
    const char* name = "BIFF5, Excel 5.0/95";
    switch (version) {
        case BiffVersion::Biff2: name = "BIFF2, Excel 2.1"; break;
        case BiffVersion::Biff3: name = "BIFF3, Excel 3.0"; break;
        case BiffVersion::Biff4: name = "BIFF4, Excel 4.0"; break;
        default: break;
    }
    return std::string("an older Excel format (") + name +
           ") that cannot be read; save it as an Excel 97-2003 workbook first";
}

}  // namespace host::xls
