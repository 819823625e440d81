// The shared string table across CONTINUE records, read back by a small independent parser.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "xls/biff_constants.h"
#include "xls/biff_record_writer.h"
#include "xls/biff_text.h"
#include "xls/sst_writer.h"

using namespace host::xls;

namespace {

struct Record {
    std::uint16_t type;
    std::size_t start;  // stream position of the record header
    std::vector<std::uint8_t> data;
};

std::vector<Record> records(const std::vector<std::uint8_t>& s) {
    std::vector<Record> out;
    std::size_t pos = 0;
    while (pos + 4 <= s.size()) {
        const std::uint16_t type = s[pos] | (s[pos + 1] << 8);
        const std::size_t len = s[pos + 2] | (s[pos + 3] << 8);
        out.push_back({type, pos, {s.begin() + pos + 4, s.begin() + pos + 4 + len}});
        pos += 4 + len;
    }
    EXPECT_EQ(pos, s.size());
    return out;
}

// Reads the SST strings as a reader must: a string's characters continue after a CONTINUE
// boundary, behind a fresh flag byte that says their width.
std::vector<std::u16string> readSst(const std::vector<Record>& recs, std::uint32_t& total) {
    std::vector<std::vector<std::uint8_t>> parts;
    for (const auto& r : recs) {
        if (r.type == kSst || (r.type == kContinue && !parts.empty())) parts.push_back(r.data);
        if (r.type == kExtSst) break;
    }
    std::size_t part = 0, at = 8;
    const auto& first = parts.at(0);
    total = first[0] | first[1] << 8 | first[2] << 16 | first[3] << 24;
    const std::uint32_t unique = first[4] | first[5] << 8 | first[6] << 16 | first[7] << 24;
    std::vector<std::u16string> strings;
    for (std::uint32_t i = 0; i < unique; ++i) {
        if (at == parts[part].size()) {
            ++part;
            at = 0;
        }
        const auto* p = parts[part].data();
        EXPECT_LE(at + 3, parts[part].size()) << "string header split";
        std::size_t count = p[at] | p[at + 1] << 8;
        bool wide = p[at + 2] & 1;
        at += 3;
        std::u16string s;
        while (s.size() < count) {
            if (at == parts[part].size()) {
                ++part;
                at = 0;
                wide = parts[part][at++] & 1;
            }
            const auto* q = parts[part].data();
            if (wide) {
                s.push_back(char16_t(q[at] | q[at + 1] << 8));
                at += 2;
            } else {
                s.push_back(char16_t(q[at]));
                at += 1;
            }
        }
        strings.push_back(s);
    }
    return strings;
}

std::u16string utf16(const std::string& s) { return toBiffText(s).units; }

}  // namespace

TEST(SstWriter, StringsAreSharedAndCounted) {
    SstWriter sst;
    EXPECT_EQ(sst.add("Entries"), 0u);
    EXPECT_EQ(sst.add("DATE"), 1u);
    EXPECT_EQ(sst.add("Entries"), 0u);
    EXPECT_EQ(sst.totalUses(), 3u);
    EXPECT_EQ(sst.uniqueCount(), 2u);
}

TEST(SstWriter, LongTableSplitsOverContinueRecordsAndReadsBack) {
    SstWriter sst;
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i) texts.push_back("string number " + std::to_string(i));
    texts.push_back(std::string(20000, 'L'));  // longer than a record
    texts.push_back("wide \xE2\x82\xAC " + std::string(9000, 'w'));  // wide and split
    texts.push_back("");
    for (int i = 0; i < 500; ++i) texts.push_back("after " + std::to_string(i));
    for (const auto& t : texts) sst.add(t);

    BiffRecordWriter out;
    out.zeros(0);
    sst.write(out);
    const auto bytes = out.copy();
    const auto recs = records(bytes);

    int continues = 0;
    for (const auto& r : recs) {
        EXPECT_LE(r.data.size(), kMaxRecordData);
        if (r.type == kContinue) ++continues;
    }
    EXPECT_GE(continues, 5);

    std::uint32_t total = 0;
    const auto strings = readSst(recs, total);
    ASSERT_EQ(strings.size(), texts.size());
    EXPECT_EQ(total, texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(strings[i], utf16(texts[i])) << i;
}

TEST(SstWriter, ExtSstPointsAtTheStartOfEveryBucketsFirstString) {
    SstWriter sst;
    std::vector<std::string> texts;
    for (int i = 0; i < 2000; ++i) texts.push_back("s" + std::to_string(i) + std::string(i % 50, 'x'));
    for (const auto& t : texts) sst.add(t);
    BiffRecordWriter out;
    out.zeros(100);  // the table sits somewhere inside the stream
    sst.write(out);
    const auto bytes = out.copy();
    std::vector<std::uint8_t> stream(bytes.begin() + 100, bytes.end());
    auto recs = records(stream);
    const auto& ext = recs.back();
    ASSERT_EQ(ext.type, kExtSst);
    const std::size_t perBucket = ext.data[0] | ext.data[1] << 8;
    EXPECT_GE(perBucket, 8u);
    const std::size_t buckets = (ext.data.size() - 2) / 8;
    EXPECT_EQ(buckets, (texts.size() + perBucket - 1) / perBucket);
    for (std::size_t b = 0; b < buckets; ++b) {
        const auto* e = ext.data.data() + 2 + 8 * b;
        const std::size_t position = e[0] | e[1] << 8 | e[2] << 16 | std::size_t(e[3]) << 24;
        const std::size_t offset = e[4] | e[5] << 8;
        // The string's header: its length, then the characters of texts[b * perBucket].
        const std::string& expected = texts[b * perBucket];
        ASSERT_LT(position + 3, bytes.size());
        EXPECT_EQ(std::size_t(bytes[position] | bytes[position + 1] << 8), expected.size()) << b;
        EXPECT_EQ(std::memcmp(&bytes[position + 3], expected.data(), std::min<std::size_t>(expected.size(), 2)), 0);
        // The offset counts from the header of the record that holds the string.
        const std::size_t recordStart = position - offset;
        bool found = false;
        for (const auto& r : recs) found = found || r.start + 100 == recordStart;
        EXPECT_TRUE(found) << b;
    }
}

TEST(SstWriter, SurrogatePairsAreNeverSplitAcrossRecords) {
    // Emoji are two UTF-16 units; shifting the start by one unit at a time puts a record
    // boundary at every possible place in a pair.
    std::string emoji;
    for (int i = 0; i < 3000; ++i) emoji += "\xF0\x9F\x98\x80";
    for (int shift = 0; shift < 4; ++shift) {
        SstWriter sst;
        sst.add(std::string(std::size_t(shift), 'a'));
        sst.add(emoji);
        BiffRecordWriter out;
        sst.write(out);
        const auto recs = records(out.copy());
        for (const auto& r : recs) {
            if (r.type != kContinue) continue;
            ASSERT_GE(r.data.size(), 3u);
            const char16_t first = char16_t(r.data[1] | r.data[2] << 8);
            EXPECT_FALSE(first >= 0xDC00 && first <= 0xDFFF) << "shift " << shift;
        }
        std::uint32_t total = 0;
        const auto strings = readSst(recs, total);
        ASSERT_EQ(strings.size(), 2u);
        EXPECT_EQ(strings[1], utf16(emoji));
    }
}
