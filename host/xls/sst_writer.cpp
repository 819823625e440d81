#include "xls/sst_writer.h"

#include <stdexcept>

#include <algorithm>

#include "xls/biff_constants.h"
#include "xls/biff_record_writer.h"
#include "xls/biff_text.h"
#include "xls/continued_record_writer.h"

namespace host::xls {

std::uint32_t SstWriter::add(std::string_view text) {
    ++uses_;
    if (const auto found = index_.find(text); found != index_.end()) return found->second;
    const auto it = index_.emplace(std::string(text), std::uint32_t(strings_.size())).first;
    strings_.push_back(&it->first);
    return it->second;
}

void SstWriter::write(BiffRecordWriter& out) const {
    // EXTSST points into the table every `perBucket` strings so a reader can seek; Excel
    // keeps at most 128 buckets of at least 8 strings.
    const std::size_t perBucket = std::max<std::size_t>(8, strings_.size() / 128 + 1);
    std::vector<ContinuedRecordWriter::Place> buckets;
    buckets.reserve(strings_.size() / perBucket + 1);

    ContinuedRecordWriter sst(out, kSst);
    out.u32(uses_);
    out.u32(std::uint32_t(strings_.size()));
    for (std::size_t i = 0; i < strings_.size(); ++i) {
        const auto place = sst.writeString(toBiffText(*strings_[i]));
        if (i % perBucket == 0) buckets.push_back(place);
    }
    sst.finish();

    out.beginRecord(kExtSst);
    out.u16(std::uint16_t(perBucket));
    for (const auto& b : buckets) {
        out.u32(std::uint32_t(b.streamPosition));
        out.u16(std::uint16_t(b.offsetInRecord));
        out.u16(0);
    }
    out.endRecord();
}

}  // namespace host::xls
