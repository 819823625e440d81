#include "workbook/entries_count.h"

#include "workbook/int16.h"
#include "workbook/sheet_failure.h"

namespace tallomer {

std::int16_t EntriesCount(const host::CellValue& b1) {
    if (b1.value.isEmpty()) return 0;
    if (!b1.value.isNumber()) throw SheetFailure("The entries count in B1 is not a number");
    return toInt16(b1.value.number);
}

}  // namespace tallomer
