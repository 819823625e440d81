#pragma once
// A formula with more tokens than a FORMULA record can hold: 3,000 numbers added up.
#include <memory>

#include "host/formula_code.h"

namespace writer_test {

inline host::FormulaPtr formulaTooLongToSave() {
    auto code = std::make_shared<host::FormulaCode>();
    for (int i = 0; i < 3000; ++i) {
        host::Token n;
        n.kind = host::TokenKind::Number;
        n.number = 1;
        code->rpn.push_back(n);
        if (i > 0) {
            host::Token add;
            add.kind = host::TokenKind::Add;
            code->rpn.push_back(add);
        }
    }
    return code;
}

}  // namespace writer_test
