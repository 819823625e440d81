#include "xlsx/package_parts.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "host/host_error.h"
#include "xls/builtin_formats.h"
#include "xlsx/xml_stream.h"

namespace host::xlsx {

namespace {
// More than the cells of a workbook the program can hold have texts: a count past this is a
// damaged file or one made to exhaust memory.
constexpr std::size_t kMaxSharedStrings = 4u << 20;
constexpr std::size_t kMaxStyles = 64u << 10;

bool truthy(const char* v) { return v && (std::string_view(v) == "1" || std::string_view(v) == "true"); }

int toInt(const char* v, int fallback) {
    if (!v) return fallback;
    int out = fallback;
    const std::string_view s(v);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() ? out : fallback;
}

struct Relationships : XmlHandler {
    struct Rel {
        std::string type;
        std::string target;
    };
    std::map<std::string, Rel, std::less<>> byId;
    std::vector<Rel> inOrder;
    void start(std::string_view name, const char** attrs) override {
        if (name != "Relationship") return;
        const char* id = attribute(attrs, "Id");
        const char* type = attribute(attrs, "Type");
        const char* target = attribute(attrs, "Target");
        if (!id || !type || !target) return;
        if (const char* mode = attribute(attrs, "TargetMode"); mode && std::string_view(mode) == "External") return;
        Rel rel{type, target};
        inOrder.push_back(rel);
        byId.emplace(id, std::move(rel));
    }
    const Rel* ofType(std::string_view suffix) const {
        for (const Rel& r : inOrder) {
            if (r.type.size() >= suffix.size() &&
                r.type.compare(r.type.size() - suffix.size(), suffix.size(), suffix) == 0)
                return &r;
        }
        return nullptr;
    }
};

struct WorkbookHandler : XmlHandler {
    struct Entry {
        std::string name;
        std::string relId;
    };
    std::vector<Entry> sheets;
    struct DefinedName {
        std::string name;
        int localSheetId = -1;  // among every sheet listed, chart sheets included
        std::string formula;
    };
    std::vector<DefinedName> names;
    bool inName = false;
    bool date1904 = false;
    int activeTab = 0;
    void start(std::string_view name, const char** attrs) override {
        if (name == "definedName") {
            const char* n = attribute(attrs, "name");
            if (names.size() >= 65536)
                throw HostError("the .xlsx workbook defines more names than a workbook can hold");
            names.push_back({n ? n : "", toInt(attribute(attrs, "localSheetId"), -1), {}});
            inName = true;
        } else if (name == "sheet") {
            const char* n = attribute(attrs, "name");
            const char* id = attribute(attrs, "id");
            if (!n || !id) throw HostError("the .xlsx workbook lists a sheet without a name or a part");
            if (sheets.size() >= 4096) throw HostError("the .xlsx workbook lists more sheets than a workbook can hold");
            sheets.push_back({n, id});
        } else if (name == "workbookPr") {
            date1904 = truthy(attribute(attrs, "date1904"));
        } else if (name == "workbookView") {
            activeTab = toInt(attribute(attrs, "activeTab"), 0);
        }
    }
    void end(std::string_view name) override {
        if (name == "definedName") inName = false;
    }
    void text(std::string_view chars) override {
        if (!inName) return;
        if (names.back().formula.size() + chars.size() > 65536)
            throw HostError("the .xlsx workbook defines a name longer than a formula can be");
        names.back().formula += chars;
    }
};

struct SharedStringsHandler : XmlHandler {
    SharedStrings strings;
    std::string current;
    bool inText = false;
    int phonetic = 0;  // inside rPh: a reading aid, not the cell's text
    void start(std::string_view name, const char** attrs) override {
        if (name == "si") {
            current.clear();
        } else if (name == "t") {
            inText = phonetic == 0;
        } else if (name == "rPh") {
            ++phonetic;
        } else if (name == "sst") {
            (void)attrs;  // its counts are claims; nothing is reserved from them
        }
    }
    void end(std::string_view name) override {
        if (name == "t") {
            inText = false;
        } else if (name == "rPh") {
            --phonetic;
        } else if (name == "si") {
            if (strings.size() >= kMaxSharedStrings)
                throw HostError("the .xlsx workbook has more shared strings than a workbook can hold");
            unescapeCellText(current);
            strings.append(current);
        }
    }
    void text(std::string_view chars) override {
        if (inText) current += chars;
    }
};

struct StylesHandler : XmlHandler {
    std::map<int, std::string> numFmts;
    std::vector<bool> fontBold;
    struct Xf {
        int numFmt = 0;
        int font = 0;
        HAlign align = HAlign::General;
    };
    std::vector<Xf> xfs;
    enum class Section { None, Fonts, CellXfs } section = Section::None;
    bool inXf = false;
    void start(std::string_view name, const char** attrs) override {
        if (name == "numFmt") {
            if (const char* code = attribute(attrs, "formatCode"))
                numFmts[toInt(attribute(attrs, "numFmtId"), -1)] = code;
        } else if (name == "fonts") {
            section = Section::Fonts;
        } else if (name == "cellXfs") {
            section = Section::CellXfs;
        } else if (name == "font" && section == Section::Fonts) {
            fontBold.push_back(false);
        } else if (name == "b" && section == Section::Fonts && !fontBold.empty()) {
            const char* v = attribute(attrs, "val");
            fontBold.back() = !v || truthy(v);
        } else if (name == "xf" && section == Section::CellXfs) {
            if (xfs.size() >= kMaxStyles)
                throw HostError("the .xlsx workbook has more cell formats than a workbook can hold");
            xfs.push_back(
                {toInt(attribute(attrs, "numFmtId"), 0), toInt(attribute(attrs, "fontId"), 0), HAlign::General});
            inXf = true;
        } else if (name == "alignment" && inXf) {
            const char* h = attribute(attrs, "horizontal");
            const std::string_view a = h ? h : "";
            xfs.back().align = a == "left"     ? HAlign::Left
                               : a == "center" ? HAlign::Center
                               : a == "right"  ? HAlign::Right
                                               : HAlign::General;
        }
    }
    void end(std::string_view name) override {
        if (name == "fonts" || name == "cellXfs") section = Section::None;
        if (name == "xf") inXf = false;
    }
};

std::string folderOf(std::string_view partName) {
    const auto slash = partName.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(partName.substr(0, slash + 1));
}
}  // namespace

void unescapeCellText(std::string& text) {
    std::size_t at = text.find("_x");
    if (at == std::string::npos) return;
    auto hex = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1;
    };
    std::string out(text, 0, at);
    std::size_t from = at;
    for (; at != std::string::npos; at = text.find("_x", at)) {
        int code = 0;
        bool spelt = at + 7 <= text.size() && text[at + 6] == '_';
        for (std::size_t i = at + 2; spelt && i < at + 6; ++i) {
            const int d = hex(text[i]);
            spelt = d >= 0;
            code = code * 16 + d;
        }
        // "_x005F_" stands for an underscore only where it starts another such spelling.
        const bool underscore =
            code == 0x5F && at + 13 <= text.size() && text[at + 7] == 'x' && text[at + 12] == '_' &&
            std::all_of(text.begin() + at + 8, text.begin() + at + 12, [&](char c) { return hex(c) >= 0; });
        if (!spelt || !(code < 0x20 || code == 0x7F || underscore)) {
            at += 2;
            continue;
        }
        out.append(text, from, at - from);
        out += static_cast<char>(code);
        at += 7;
        from = at;
    }
    out.append(text, from, std::string::npos);
    text = std::move(out);
}

void parsePart(ZipPackage& package, const std::string& partName, XmlHandler& handler) {
    XmlStream xml(handler, partName);
    package.read(partName, [&](std::string_view chunk) { xml.feed(chunk); });
    xml.finish();
}

std::string resolvePartName(std::string_view baseFolder, std::string_view target) {
    std::string path = !target.empty() && target.front() == '/' ? std::string(target.substr(1))
                                                                : std::string(baseFolder) + std::string(target);
    // Fold "." and ".." steps.
    std::vector<std::string> steps;
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t slash = std::min(path.find('/', from), path.size());
        const std::string step = path.substr(from, slash - from);
        if (step == "..") {
            if (!steps.empty()) steps.pop_back();
        } else if (!step.empty() && step != ".") {
            steps.push_back(step);
        }
        from = slash + 1;
    }
    std::string out;
    for (const auto& s : steps) out += (out.empty() ? "" : "/") + s;
    return out;
}

WorkbookPart readWorkbookPart(ZipPackage& package) {
    std::string workbookName = "xl/workbook.xml";
    if (package.has("_rels/.rels")) {
        Relationships root;
        parsePart(package, "_rels/.rels", root);
        if (const auto* office = root.ofType("/officeDocument")) workbookName = resolvePartName("", office->target);
    }
    if (!package.has(workbookName)) throw HostError("the file is not an .xlsx workbook: it has no workbook part");

    WorkbookHandler workbook;
    parsePart(package, workbookName, workbook);
    const std::string folder = folderOf(workbookName);
    const std::string relsName = folder + "_rels/" + workbookName.substr(folder.size()) + ".rels";
    Relationships rels;
    if (package.has(relsName)) parsePart(package, relsName, rels);

    WorkbookPart out;
    out.date1904 = workbook.date1904;
    for (const auto& entry : workbook.sheets) {
        const auto rel = rels.byId.find(entry.relId);
        if (rel == rels.byId.end()) throw HostError("the .xlsx workbook's sheet \"" + entry.name + "\" has no part");
        const std::string_view type = rel->second.type;
        if (!type.ends_with("/worksheet")) continue;  // chart sheets, dialog sheets
        if (workbook.activeTab == static_cast<int>(&entry - workbook.sheets.data()))
            out.activeSheet = static_cast<int>(out.sheets.size());
        out.sheets.push_back({entry.name, resolvePartName(folder, rel->second.target)});
    }
    if (out.sheets.empty()) throw HostError("the .xlsx workbook has no worksheet");
    // A name's sheet counts every sheet listed; a name of a chart sheet is left behind.
    std::vector<int> worksheetOf(workbook.sheets.size(), -2);
    for (std::size_t i = 0, kept = 0; i < workbook.sheets.size(); ++i) {
        const auto rel = rels.byId.find(workbook.sheets[i].relId);
        if (rel->second.type.ends_with("/worksheet")) worksheetOf[i] = static_cast<int>(kept++);
    }
    for (auto& n : workbook.names) {
        const int sheet = n.localSheetId < 0 ? -1
                          : static_cast<std::size_t>(n.localSheetId) < worksheetOf.size()
                              ? worksheetOf[static_cast<std::size_t>(n.localSheetId)]
                              : -2;
        if (sheet >= -1) out.definedNames.push_back({std::move(n.name), sheet, std::move(n.formula)});
    }
    if (const auto* s = rels.ofType("/sharedStrings")) out.sharedStringsPart = resolvePartName(folder, s->target);
    if (const auto* s = rels.ofType("/styles")) out.stylesPart = resolvePartName(folder, s->target);
    return out;
}

SharedStrings readSharedStrings(ZipPackage& package, const std::string& partName) {
    SharedStringsHandler handler;
    parsePart(package, partName, handler);
    return std::move(handler.strings);
}

std::vector<Style> readCellStyles(ZipPackage& package, const std::string& partName) {
    StylesHandler handler;
    parsePart(package, partName, handler);
    std::vector<Style> styles;
    styles.reserve(handler.xfs.size());
    for (const auto& xf : handler.xfs) {
        Style s;
        s.bold =
            xf.font >= 0 && static_cast<std::size_t>(xf.font) < handler.fontBold.size() && handler.fontBold[xf.font];
        s.align = xf.align;
        if (const auto f = handler.numFmts.find(xf.numFmt); f != handler.numFmts.end()) {
            s.numberFormat = f->second;
        } else if (xf.numFmt > 0 && xf.numFmt < 0x10000) {
            const std::string_view builtin = xls::builtinNumberFormat(static_cast<std::uint16_t>(xf.numFmt));
            if (!builtin.empty()) s.numberFormat = std::string(builtin);
        }
        styles.push_back(std::move(s));
    }
    return styles;
}

}  // namespace host::xlsx
