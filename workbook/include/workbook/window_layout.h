#pragma once
#include <span>

namespace tallomer {

// The main window's controls: where each stands (twips, inside the client area), the label
// drawn beside each box, and the keyboard order. Shared by the window and by tallomer-cli, which
// prints the boxes with their labels.

enum class BoxGroup { InputData, LastRecord, CumulativeLeft, CumulativeRight };

struct BoxSpec {
    int box;  // Text<box>
    const char* label;  // the field label beside it
    int left;
    int top;
    int tabIndex;
    BoxGroup group;
};

struct ButtonSpec {
    int command;  // Command<command>
    const char* caption;
    int left;
    int top;
    int tabIndex;
};

inline constexpr int kClientWidth = 8040;  // twips
inline constexpr int kClientHeight = 6795;
inline constexpr int kMainWindowWidth = 8205;  // outer size, as start-up places it
inline constexpr int kMainWindowHeight = 7275;
inline constexpr int kBoxWidth = 1000;
inline constexpr int kBoxHeight = 285;
inline constexpr int kButtonWidth = 1000;
inline constexpr int kButtonHeight = 300;

// Label13, "Processing ...".
inline constexpr int kProcessingLeft = 1500;
inline constexpr int kProcessingTop = 3240;
inline constexpr int kProcessingWidth = 1095;
inline constexpr int kProcessingHeight = 255;

// The six input boxes, Text1 to Text6.
std::span<const BoxSpec> inputBoxes();
// The twenty display boxes in screen order: LAST RECORD top to bottom, then CUMULATIVE
// RESULTS left column, then right column.
std::span<const BoxSpec> displayBoxes();
// Command1 to Command6.
std::span<const ButtonSpec> commandButtons();
// The place and label of Text<box>; nullptr for a number that names no box.
const BoxSpec* findBox(int box);

}  // namespace tallomer
