#include "workbook/entry_texts.h"

#include <cctype>

namespace tallomer {

namespace {
constexpr std::string_view kNames[kEntryFieldCount] = {"date",    "orders",       "order_value",
                                                       "refunds", "refund_value", "visitors"};
}

std::string_view entryFieldName(int field) {
    return field >= 0 && field < kEntryFieldCount ? kNames[field] : std::string_view("entry");
}

int entryFieldFromName(std::string_view name) {
    for (int field = 0; field < kEntryFieldCount; ++field) {
        const std::string_view known = kNames[field];
        if (known.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i) {
            same = std::tolower(static_cast<unsigned char>(name[i])) == known[i];
        }
        if (same) return field;
    }
    return -1;
}

}  // namespace tallomer
