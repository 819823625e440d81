#pragma once
#include <array>
#include <string>
#include <string_view>

namespace tallomer {

inline constexpr int kPieceCount = 101;
using Pieces = std::array<std::string, kPieceCount>;

// SplitText: the text split at a one-character delimiter into exactly 101 pieces; pieces the
// split does not reach are empty. A text with more than 100 delimiters does not fit: that is
// a SheetFailure, never a silently shortened split.
Pieces SplitText(std::string_view text, char delimiter);

}  // namespace tallomer
