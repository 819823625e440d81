#include "xlsx/xlsx_writer.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "host/host_error.h"
#include "xls/atomic_file_writer.h"
#include "xlsx/defined_names.h"

namespace host::xlsx {

namespace {

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw HostError("Cannot save \"" + path + "\": " + why);
}

// libxlsxwriter writes a formula's text result as it is, and XML cannot carry control
// characters: they are spelt as a cell text is ("_x0001_"), and so is an underscore that
// would read as such a spelling ("_x005F_"). Carriage returns too, which XML would turn into
// line feeds.
const char* resultText(std::string_view text, std::string& spelt) {
    auto hex = [](char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); };
    auto spelling = [&](std::size_t at) {
        return at + 7 <= text.size() && text[at + 1] == 'x' && hex(text[at + 2]) && hex(text[at + 3]) &&
               hex(text[at + 4]) && hex(text[at + 5]) && text[at + 6] == '_';
    };
    spelt.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            spelt += "_x00";
            spelt += kHex[c >> 4];
            spelt += kHex[c & 15];
            spelt += '_';
        } else if (c == '_' && spelling(i)) {
            spelt += "_x005F_";
        } else {
            spelt += static_cast<char>(c);
        }
    }
    return spelt.c_str();
}

// XML carries no control character anywhere; names, formats and formulas have no spelling
// for one either.
bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// "[1]Prices!A1" (another workbook) or "Table1[Amount]" (a table): the package this writer
// makes lists neither, and Excel would repair a formula naming one. Quoted texts and sheet
// names may hold brackets of their own.
bool namesWhatThePackageLacks(std::string_view formula) {
    char quote = 0;
    for (char c : formula) {
        if (quote) {
            if (c == quote) quote = 0;  // a doubled quote closes and opens again: the same
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            return true;
        }
    }
    return false;
}

class PackageWriter {
public:
    PackageWriter(const Workbook& workbook, const std::string& target, const std::string& file)
        : workbook_(workbook), target_(target) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;  // rows go out as they are written: the sheet is walked in order
        book_ = workbook_new_opt(file.c_str(), &options);
        if (!book_) fail(target_, "the file cannot be created");
    }
    ~PackageWriter() {
        if (book_) workbook_close(book_);
    }

    void write() {
        const StyleTable& styles = workbook_.styles();
        formats_.assign(styles.size(), nullptr);
        for (int i = 0; i < workbook_.sheetCount(); ++i)
            writeSheet(workbook_.sheet(i), i == workbook_.activeSheetIndex());
        writeDefinedNames(book_, workbook_);
        lxw_workbook* book = book_;
        book_ = nullptr;
        if (const lxw_error e = workbook_close(book); e != LXW_NO_ERROR) fail(target_, lxw_strerror(e));
    }

private:
    lxw_format* format(std::uint16_t index) {
        if (index == 0 || index >= formats_.size()) return nullptr;
        if (!formats_[index]) {
            const Style& s = workbook_.styles().at(index);
            lxw_format* f = workbook_add_format(book_);
            if (s.bold) format_set_bold(f);
            if (s.align == HAlign::Left) format_set_align(f, LXW_ALIGN_LEFT);
            if (s.align == HAlign::Center) format_set_align(f, LXW_ALIGN_CENTER);
            if (s.align == HAlign::Right) format_set_align(f, LXW_ALIGN_RIGHT);
            if (s.numberFormat != "General") {
                // A control character in a format shows nothing: it is left out.
                std::string code = s.numberFormat;
                std::erase_if(code, [](char c) { return hasControlCharacter(std::string_view(&c, 1)); });
                format_set_num_format(f, code.c_str());
            }
            formats_[index] = f;
        }
        return formats_[index];
    }

    // libxlsxwriter writes the 1900 date system only: a 1904 workbook's dates, constants and
    // formula results alike, move by the 1,462 days between the two, so each still shows its
    // own day to a reader that takes the stored result.
    double number(const CellFields& cell) const {
        if (workbook_.date1904 && isDateFormat(workbook_.styles().at(cell.style).numberFormat))
            return cell.number + 1462;
        return cell.number;
    }

    // Where a cell stands in an array formula that goes out as one: its first cell or another of
    // its cells, which then goes out as its result. Only an array whose first cell's result is a
    // number (the only kind libxlsxwriter stores for one) and with no error among its results
    // (which the format stores only as a formula's) goes so; any other goes cell by cell.
    enum class ArrayPart { None, First, Other };
    ArrayPart arrayPart(const Worksheet& sheet, const FormulaCode& code, CellAddress at) {
        if (!code.array) return ArrayPart::None;
        const CellRange& range = code.arrayRange;
        auto known = arrays_.find(&code);
        if (known == arrays_.end()) {
            const FormulaCode* head = sheet.formulaAt(range.first);
            bool whole = head && head->array && head->arrayRange == range &&
                         sheet.value(range.first).kind == Value::Kind::Number;
            for (int r = range.first.row; whole && r <= range.last.row; ++r) {
                for (int c = range.first.col; whole && c <= range.last.col; ++c) {
                    const FormulaCode* f = sheet.formulaAt({r, c});
                    whole = f && f->array && f->arrayRange == range && !sheet.value({r, c}).isError();
                }
            }
            known = arrays_.emplace(&code, whole).first;
        }
        if (!known->second) return ArrayPart::None;
        return at == range.first ? ArrayPart::First : ArrayPart::Other;
    }

    void check(lxw_error e, int row, int col) {
        if (e != LXW_NO_ERROR)
            fail(target_, "cell " + formatAddress({row, col}, false) + " cannot be written: " + lxw_strerror(e));
    }

    void writeSheet(const Worksheet& sheet, bool active) {
        if (hasControlCharacter(sheet.name()))
            fail(target_,
                 "the sheet name \"" + sheet.name() + "\" holds a control character, which an .xlsx workbook cannot");
        lxw_worksheet* ws = workbook_add_worksheet(book_, sheet.name().c_str());
        if (!ws) fail(target_, "the sheet name \"" + sheet.name() + "\" cannot be used in an .xlsx workbook");
        for (int c = 0; c < kMaxColumns; ++c) {
            const double w = sheet.columnWidth(c);
            if (w != kDefaultColumnWidth) worksheet_set_column(ws, c, c, w, nullptr);
        }
        std::string text, result;
        sheet.forEachRowOfCells([&](int row, std::span<const CellFields> cells) {
            for (const CellFields& cell : cells) {
                lxw_format* f = format(cell.style);
                const auto r = static_cast<lxw_row_t>(row);
                const auto c = static_cast<lxw_col_t>(cell.col);
                lxw_error e = LXW_NO_ERROR;
                if (cell.kind == CellView::Kind::Formula) text = formulaText(*cell.formula, {row, cell.col});
                // A formula read from an .xls file that could not be spelt out ("=<unsupported>"),
                // whose text holds a control character, or that names another workbook or a
                // table, is no formula Excel reads here (it would repair the file): its result
                // is kept.
                const bool formula = cell.kind == CellView::Kind::Formula && text.rfind("=<", 0) != 0 &&
                                     !hasControlCharacter(text) && !namesWhatThePackageLacks(text);
                const ArrayPart part = formula ? arrayPart(sheet, *cell.formula, {row, cell.col}) : ArrayPart::None;
                if (part == ArrayPart::First) {
                    // The array formula over its range; its other cells, which come later, replace
                    // the zeros libxlsxwriter puts there with their own results.
                    const CellRange& range = cell.formula->arrayRange;
                    e = worksheet_write_array_formula_num(ws, r, c, static_cast<lxw_row_t>(range.last.row),
                                                          static_cast<lxw_col_t>(range.last.col), text.c_str(), f,
                                                          cell.valueKind == Value::Kind::Number ? number(cell) : 0);
                } else if (formula && part == ArrayPart::None) {
                    switch (cell.valueKind) {
                        case Value::Kind::Text:
                            e = worksheet_write_formula_str(ws, r, c, text.c_str(), f, resultText(cell.text, result));
                            break;
                        case Value::Kind::Error:
                            e = worksheet_write_formula_str(ws, r, c, text.c_str(), f,
                                                            std::string(errorText(cell.error())).c_str());
                            break;
                        case Value::Kind::Number:
                            e = worksheet_write_formula_num(ws, r, c, text.c_str(), f, number(cell));
                            break;
                        case Value::Kind::Boolean:
                            e = worksheet_write_formula_num(ws, r, c, text.c_str(), f, cell.number);
                            break;
                        case Value::Kind::Empty: e = worksheet_write_formula_num(ws, r, c, text.c_str(), f, 0); break;
                    }
                } else if (cell.kind == CellView::Kind::Blank) {
                    e = worksheet_write_blank(ws, r, c, f);
                } else {
                    switch (cell.valueKind) {
                        case Value::Kind::Number: e = worksheet_write_number(ws, r, c, number(cell), f); break;
                        case Value::Kind::Text:
                            text.assign(cell.text);
                            e = worksheet_write_string(ws, r, c, text.c_str(), f);
                            break;
                        case Value::Kind::Boolean: e = worksheet_write_boolean(ws, r, c, cell.boolean(), f); break;
                        case Value::Kind::Error:
                            // The format has no constant error a writer may store: the formula
                            // that is that error reads the same everywhere.
                            text = "=" + std::string(errorText(cell.error()));
                            e = worksheet_write_formula_str(ws, r, c, text.c_str(), f, text.c_str() + 1);
                            break;
                        case Value::Kind::Empty: e = worksheet_write_blank(ws, r, c, f); break;
                    }
                }
                check(e, row, cell.col);
            }
        });
        const CellAddress at = sheet.activeCell();
        worksheet_set_selection(ws, at.row, at.col, at.row, at.col);
        if (active) worksheet_activate(ws);
    }

    const Workbook& workbook_;
    const std::string& target_;
    lxw_workbook* book_ = nullptr;
    std::vector<lxw_format*> formats_;
    std::unordered_map<const FormulaCode*, bool> arrays_;  // array formulas: whether each goes out as one
};

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool copyInto(int fd, const std::string& from) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int saved = errno;
            close(in);
            errno = saved;
            return false;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(fd, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) {
                const int saved = errno;
                close(in);
                errno = saved;
                return false;
            }
            done += w;
        }
    }
    close(in);
    return true;
}

}  // namespace

void saveXlsxFile(const Workbook& workbook, const std::string& path) {
    // libxlsxwriter writes to a file it names itself: a scratch file in the target's folder,
    // then handed to the same atomic replace the .xls save uses.
    std::string scratch = folderOf(path) + "/.tallomer-xlsx-XXXXXX";
    const int fd = mkstemp(scratch.data());
    if (fd < 0) fail(path, std::strerror(errno));
    close(fd);
    struct Remove {
        const std::string& name;
        ~Remove() { unlink(name.c_str()); }
    } remove{scratch};
    PackageWriter(workbook, path, scratch).write();
    xls::writeFileAtomically(path, [&](int out) { return copyInto(out, scratch); });
}

}  // namespace host::xlsx
