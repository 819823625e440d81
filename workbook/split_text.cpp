#include "workbook/split_text.h"

#include "workbook/sheet_failure.h"

namespace tallomer {

Pieces SplitText(std::string_view text, char delimiter) {
    Pieces pieces;
    std::string_view rest = text;
    for (int i = 0;; ++i) {
        if (i == kPieceCount) throw SheetFailure("Subscript out of range: more than 100 delimiters");
        const auto p = rest.find(delimiter);
        if (p == std::string_view::npos) {
            pieces[i] = std::string(rest);
            return pieces;
        }
        pieces[i] = std::string(rest.substr(0, p));
        rest.remove_prefix(p + 1);
    }
}

}  // namespace tallomer
