#pragma once
#include <QString>

#include "workbook/window_layout.h"

namespace tallomer {

// What a screen reader hears for the main window's boxes, whose labels are only pixels of
// the background picture: the group and the label, "Last record: Net Value of Orders ($)".
QString accessibleBoxName(const BoxSpec& box);

// Teaches Qt's accessibility how to present the program's own controls: the display boxes
// as read-only text (they still take typing) and the "Processing ..." label as a
// notification that is announced when it appears. Safe to call more than once.
void installAccessibleInterfaces();

}  // namespace tallomer
