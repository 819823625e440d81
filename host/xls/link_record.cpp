#include "xls/link_record.h"

#include "xls/biff_constants.h"
#include "xls/biff_record_writer.h"

namespace host::xls {

bool isWholeLinkRecord(const std::vector<std::uint8_t>& record) {
    std::size_t at = 0;
    while (at < record.size()) {
        if (record.size() - at < 4) return false;
        const std::uint16_t type = std::uint16_t(record[at] | record[at + 1] << 8);
        const std::size_t length = std::size_t(record[at + 2] | record[at + 3] << 8);
        const bool expected = at == 0 ? type == kSupBook || type == kExternSheet || type == kName || type == kExternName
                                      : type == kContinue;
        if (!expected || length > kMaxRecordData || length > record.size() - at - 4) return false;
        at += 4 + length;
    }
    return at > 0;
}

}  // namespace host::xls
