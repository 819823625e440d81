#pragma once
#include <string>

#include "host/host_error.h"

namespace tallomer {

// A failure of the statistics-sheet code itself (16-bit overflow, a cell that does not hold
// a number where one is needed, a cursor outside the columns it can walk). It is a HostError
// so that callers catch one type for everything that goes wrong on the sheet.
class SheetFailure : public host::HostError {
public:
    explicit SheetFailure(const std::string& message) : host::HostError(message) {}
};

}  // namespace tallomer
