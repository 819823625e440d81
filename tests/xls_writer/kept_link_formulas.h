#pragma once
// A workbook as the .xls reader leaves one that had formulas the engine does not compute:
// Sheet2!A1 holds 42, and Sheet1 has two formulas kept with their tokens, A1 =Sheet2!$A$1
// (through EXTERNSHEET entry 0) and A2 =Answer (the file's NAME 1, itself Sheet2!$A$1), with
// the link records those tokens point into. The tests that save it check that both still
// resolve in the saved file.
#include <memory>
#include <vector>

#include "host/workbook.h"
#include "xls/opaque_formulas.h"

namespace writer_test {

// A formula in Sheet1 at `at` kept by the .xls filter as a file read would keep it.
inline void putOpaque(host::Workbook& book, host::xls::OpaqueFormulas& kept, host::CellAddress at,
                      std::vector<std::uint8_t> tokens, const char* text, const host::Value& cached,
                      std::vector<std::uint8_t> extra = {}) {
    auto code = std::make_shared<host::FormulaCode>();
    code->opaque = true;
    code->text = text;
    kept.keep(0, at, code, {std::move(tokens), std::move(extra)});
    book.sheet(0).setFormula(at, code, cached);
}

// Fills a default workbook as above; the kept formulas' stored results are `cached`. The
// returned table is the workbook's filter data, for more kept formulas.
inline std::shared_ptr<host::xls::OpaqueFormulas> keepLinkedFormulas(host::Workbook& book, const host::Value& cached) {
    book.sheet(1).setValue({0, 0}, host::Value::fromNumber(42));
    auto kept = std::make_shared<host::xls::OpaqueFormulas>();
    putOpaque(book, *kept, {0, 0}, {0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "=Sheet2!$A$1", cached);  // tRef3dV
    putOpaque(book, *kept, {1, 0}, {0x43, 0x01, 0x00, 0x00, 0x00}, "=Answer", cached);  // tNameV 1
    book.xlsFilterData = kept;
    book.xlsLinkRecords = {
        {0xAE, 0x01, 0x04, 0x00, 0x03, 0x00, 0x01, 0x04},  // SUPBOOK: this workbook, 3 sheets
        {0x17, 0x00, 0x08, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00},  // EXTERNSHEET: Sheet2
        {0x18, 0x00, 0x1C, 0x00, 0x00, 0x00, 0x00, 0x06, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00,  // NAME Answer
         0x00, 0x00, 0x00, 0x00, 0x00, 'A',  'n',  's',  'w',  'e',  'r',  0x3A, 0x00, 0x00,
         0x00, 0x00, 0x00, 0x00},  // = tRef3dR Sheet2!$A$1
    };
    return kept;
}

}  // namespace writer_test
