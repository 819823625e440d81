#pragma once
#include <optional>
#include <string>

#include "workbook/entry_texts.h"

namespace tallomer {

class HeadlessWindow;
struct SharedState;

// One entry added by Submit itself: the six texts typed into the window's input boxes, then
// the Submit button's own code. What the sheet, B1, the cursor, the display boxes and Saved
// hold afterwards is exactly what pressing Submit gives. When Submit refuses the entry
// (nothing changes then), `fault` names the field at fault as "visitors: not a number", from
// the same check Submit makes.
struct AddResult {
    bool added = false;
    std::string fault;
};
AddResult AddEntry(SharedState& state, HeadlessWindow& window, const EntryTexts& texts);

// What Submit would refuse in these texts before touching a sheet, as "field: why": its own
// check, then zero visitors (the figures per visitor divide by them, so storing fails).
// nullopt when only the sheet itself could still refuse the entry.
std::optional<std::string> EntryFaultText(const EntryTexts& texts);

}  // namespace tallomer
