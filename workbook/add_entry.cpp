#include "workbook/add_entry.h"

#include "host/locale.h"
#include "workbook/daily_record.h"
#include "workbook/headless_window.h"
#include "workbook/main_window.h"

namespace tallomer {

namespace {
constexpr const char* kSheetFull = "the sheet cannot take another entry";

std::optional<std::string> checkFault(const MainWindow& window) {
    if (const auto fault = FindEntryFault(window)) {
        return std::string(entryFieldName(fault->field)) + ": " + fault->why;
    }
    return std::nullopt;
}

std::optional<std::string> zeroVisitorsFault(const EntryTexts& texts) {
    const auto visitors = host::parseNumber(texts[kVisitors]);
    if (visitors && *visitors == 0) {
        return std::string(entryFieldName(kVisitors)) + ": 0, the figures per visitor divide by it";
    }
    return std::nullopt;
}
}  // namespace

std::optional<std::string> EntryFaultText(const EntryTexts& texts) {
    HeadlessWindow window;
    window.type(texts);
    if (auto fault = checkFault(window)) return fault;
    return zeroVisitorsFault(texts);
}

AddResult AddEntry(SharedState& state, HeadlessWindow& window, const EntryTexts& texts) {
    window.type(texts);
    window.clearMessages();
    Form1_Command1_Click(state, window);
    if (window.messages().empty()) return {true, {}};

    // Refused by the check, or storing failed part-way (and was put back): in practice the
    // figures per visitor dividing by zero visitors, otherwise the sheet's count or rows at
    // the end of what it can hold.
    AddResult refused;
    refused.fault = checkFault(window).value_or(zeroVisitorsFault(texts).value_or(kSheetFull));
    return refused;
}

}  // namespace tallomer
