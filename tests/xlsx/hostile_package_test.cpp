// Packages made to break a reader: each gives a HostError saying why, soon and in bounded
// memory, never a crash or a hang.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "host/host_error.h"
#include "host/workbook_files.h"
#include "xlsx_test_support.h"

using namespace xlsx_test;

namespace {

// A minimal package whose parts are given as python expressions; the others are sound.
constexpr const char* kMakePackage = R"PY(
import sys, zipfile
out, overrides = sys.argv[1], eval(sys.argv[2])
parts = {
 '[Content_Types].xml': '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>',
 '_rels/.rels': '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>',
 'xl/workbook.xml': '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>',
 'xl/_rels/workbook.xml.rels': '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>',
 'xl/sharedStrings.xml': '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>a</t></si></sst>',
 'xl/worksheets/sheet1.xml': '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1"><v>2</v></c></row></sheetData></worksheet>',
}
parts.update(overrides)
with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name, text in parts.items():
        z.writestr(name, text)
)PY";

std::string errorOpening(const Folder& f, const std::string& overrides) {
    const std::string file = f.file("hostile.xlsx");
    python(kMakePackage, quote(file) + " " + quote(overrides));
    try {
        host::loadWorkbookFile(file);
    } catch (const host::HostError& e) {
        return e.what();
    }
    return "(opened)";
}

}  // namespace

TEST(HostileXlsx, SoundPackageOpensAndEachHostileOneIsRefusedSayingWhy) {
    Folder f;
    EXPECT_EQ(errorOpening(f, "{}"), "(opened)");
    auto sheet = [](const std::string& data) {
        return "{'xl/worksheets/sheet1.xml': '<worksheet><sheetData>" + data + "</sheetData></worksheet>'}";
    };
    // A part that inflates a thousandfold: 300 MB of one byte.
    EXPECT_NE(errorOpening(f, "{'xl/worksheets/sheet1.xml': '<worksheet>' + ' ' * 300000000 + '</worksheet>'}")
                  .find("thousandfold"),
              std::string::npos);
    // Entities: the billion laughs never get a chance.
    EXPECT_NE(errorOpening(f,
                           "{'xl/sharedStrings.xml': '<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\">"
                           "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><sst><si><t>&b;</t></si></sst>'}")
                  .find("document type"),
              std::string::npos);
    EXPECT_NE(errorOpening(
                  f, "{'xl/worksheets/sheet1.xml': '<worksheet>' + '<x>' * 100000 + '</x>' * 100000 + '</worksheet>'}")
                  .find("nested too deeply"),
              std::string::npos);
    EXPECT_NE(errorOpening(f, sheet("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>")).find("XFD"), std::string::npos);
    EXPECT_NE(errorOpening(f, sheet("<row r=\"1\"><c r=\"A1048577\"><v>1</v></c></row>")).find("1048576"),
              std::string::npos);
    EXPECT_NE(errorOpening(f, sheet("<row r=\"1\"><c r=\"IW1\"><v>1</v></c></row>")).find("IV65536"),
              std::string::npos);
    EXPECT_NE(errorOpening(f, sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>7</v></c></row>")).find("shared string"),
              std::string::npos);
    EXPECT_NE(errorOpening(f, sheet("<row r=\"1\"><c r=\"A1\"><v>12abc</v></c></row>")).find("no number"),
              std::string::npos);
    // A claimed count of strings reserves nothing; a real flood of them is refused.
    EXPECT_EQ(
        errorOpening(
            f,
            "{'xl/sharedStrings.xml': '<sst count=\"4000000000\" uniqueCount=\"4000000000\"><si><t>a</t></si></sst>'}"),
        "(opened)");
    EXPECT_NE(errorOpening(f, "{'xl/sharedStrings.xml': '<sst>' + '<si><t>ab</t></si>' * 5000000 + '</sst>'}"),
              "(opened)");
    EXPECT_NE(errorOpening(f, "{'xl/workbook.xml': '<workbook><sheets></sheets></workbook>'}").find("no worksheet"),
              std::string::npos);
    EXPECT_NE(errorOpening(f, "{'xl/workbook.xml': '<workbook><sheets><sheet name=\"S\"'}").find("workbook.xml"),
              std::string::npos);
}

TEST(HostileXlsx, TruncatedOrDamagedContainerIsRefused) {
    Folder f;
    const std::string good = f.file("good.xlsx");
    python(kMakePackage, quote(good) + " '{}'");
    std::ifstream in(good, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    for (std::size_t keep : {bytes.size() / 2, std::size_t{30}, std::size_t{4}}) {
        const std::string cut = f.file("cut.xlsx");
        std::ofstream(cut, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(keep));
        EXPECT_THROW(host::loadWorkbookFile(cut), host::HostError) << keep;
    }
    // One flipped byte inside a compressed part: the checksum or the inflate catches it.
    std::vector<char> flipped = bytes;
    flipped[bytes.size() / 3] ^= 0x55;
    const std::string bad = f.file("bad.xlsx");
    std::ofstream(bad, std::ios::binary).write(flipped.data(), static_cast<std::streamsize>(flipped.size()));
    try {
        host::loadWorkbookFile(bad);
    } catch (const host::HostError&) {}
}
