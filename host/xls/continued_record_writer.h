#pragma once
// A record whose content may run past the BIFF8 record size (SST, STRING): it goes on in
// CONTINUE records. A string's header is never split; when its characters are, the next
// CONTINUE starts with the string's flag byte again.
#include <cstddef>
#include <cstdint>

#include "xls/biff_record_writer.h"
#include "xls/biff_text.h"

namespace host::xls {

class ContinuedRecordWriter {
public:
    ContinuedRecordWriter(BiffRecordWriter& out, std::uint16_t type);
    ContinuedRecordWriter(const ContinuedRecordWriter&) = delete;
    ContinuedRecordWriter& operator=(const ContinuedRecordWriter&) = delete;

    // Makes sure the next `bytes` fit in the current record, starting a CONTINUE if not.
    void reserve(std::size_t bytes);
    BiffRecordWriter& out() { return out_; }

    // Where the next string starts: its stream position and its offset from the start of
    // the record that holds it (the record header included), as EXTSST wants them.
    struct Place {
        std::size_t streamPosition;
        std::size_t offsetInRecord;
    };
    // A 16-bit-count unicode string, split over CONTINUE records as needed.
    Place writeString(const BiffText& text);

    void finish();

private:
    std::size_t room() const { return kMaxRecordData - out_.recordDataSize(); }
    void startContinue();
    BiffRecordWriter& out_;
};

}  // namespace host::xls
