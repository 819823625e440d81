#include "workbook/window_layout.h"

#include <array>

namespace tallomer {

namespace {
using G = BoxGroup;

constexpr std::array<BoxSpec, 6> kInputBoxes{{
    {1, "Date (dd/mm/yyyy):", 2580, 990, 27, G::InputData},
    {2, "Number of Orders:", 2580, 1320, 28, G::InputData},
    {3, "Value of Orders($):", 2580, 1650, 29, G::InputData},
    {4, "Number of Refunds:", 2580, 1995, 30, G::InputData},
    {5, "Value of Refunds ($):", 2580, 2355, 31, G::InputData},
    {6, "No. of Unique Visitors:", 2580, 2700, 32, G::InputData},
}};

// Box numbers do not follow the screen order: Text14 stands above Text13, Text16 above Text15,
// and the cumulative columns run 17-20, 23 and 22, 21, 25, 24, 26.
constexpr std::array<BoxSpec, 20> kDisplayBoxes{{
    {7, "Date (dd/mm/yyyy):", 6750, 975, 1, G::LastRecord},
    {8, "Number of Orders:", 6750, 1305, 2, G::LastRecord},
    {9, "Value of Orders ($):", 6750, 1635, 3, G::LastRecord},
    {10, "Number of Refunds:", 6750, 1965, 4, G::LastRecord},
    {11, "Value of Refunds ($):", 6750, 2295, 5, G::LastRecord},
    {12, "No. of Unique Visitors:", 6750, 2640, 6, G::LastRecord},
    {14, "Net Number of Orders:", 6750, 2985, 7, G::LastRecord},
    {13, "Net Value of Orders ($):", 6750, 3330, 8, G::LastRecord},
    {16, "Net Number of Orders / UV:", 6750, 3675, 9, G::LastRecord},
    {15, "Net Value of Orders / UV:", 6750, 4020, 10, G::LastRecord},
    {17, "Number of Orders:", 2580, 4905, 22, G::CumulativeLeft},
    {18, "Value of Orders ($):", 2580, 5250, 23, G::CumulativeLeft},
    {19, "Number of Refunds:", 2580, 5595, 24, G::CumulativeLeft},
    {20, "Value of Refunds ($):", 2580, 5940, 25, G::CumulativeLeft},
    {23, "No. of Unique Visitors:", 2580, 6285, 26, G::CumulativeLeft},
    {22, "Net No. of Orders:", 6750, 4875, 11, G::CumulativeRight},
    {21, "Net Value of Orders ($):", 6750, 5220, 12, G::CumulativeRight},
    {25, "No. of Orders / UV:", 6750, 5565, 13, G::CumulativeRight},
    {24, "Value of Orders ($) / UV:", 6750, 5910, 14, G::CumulativeRight},
    {26, "Average Order ($) / UV:", 6750, 6255, 15, G::CumulativeRight},
}};

constexpr std::array<ButtonSpec, 6> kButtons{{
    {1, "Submit", 420, 3600, 0},
    {2, "New", 1500, 3600, 18},
    {3, "Save", 420, 3960, 16},
    {4, "Quit", 2580, 3960, 19},
    {5, "Open", 2580, 3600, 20},
    {6, "Save As", 1500, 3960, 21},
}};
}  // namespace

std::span<const BoxSpec> inputBoxes() { return kInputBoxes; }
std::span<const BoxSpec> displayBoxes() { return kDisplayBoxes; }
std::span<const ButtonSpec> commandButtons() { return kButtons; }

const BoxSpec* findBox(int box) {
    for (const auto& place : kInputBoxes)
        if (place.box == box) return &place;
    for (const auto& place : kDisplayBoxes)
        if (place.box == box) return &place;
    return nullptr;
}

}  // namespace tallomer
