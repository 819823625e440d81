#pragma once
#include <optional>
#include <string>
#include <vector>

#include "host/file_fingerprint.h"
#include "workbook/entry_history.h"

namespace tallomer {

// The workbook a run works on: its path (empty for a new sheet) and its fingerprint then.
struct JournalBase {
    std::string path;
    std::optional<host::FileFingerprint> fingerprint;
};

struct JournalStep {
    EntryStep step = EntryStep::Submit;
    EntryTexts texts;  // Submit only
};

// The journal of one running program: every Submit, Undo and Redo since the last Save, New or
// Open, each a line of its own with a checksum, flushed to the disk before the command returns,
// so that a crash or a power cut loses no entry. One file per program, locked while it runs.
class EntryJournal {
public:
    explicit EntryJournal(std::string folder);
    ~EntryJournal();
    EntryJournal(const EntryJournal&) = delete;
    EntryJournal& operator=(const EntryJournal&) = delete;

    // Appends one step (the file is made, with the base, at the first). False, with error(),
    // when it could not be written and flushed.
    bool record(const JournalStep& step);
    // Save, Save As, New and Open: the journal starts afresh with `base`.
    void startAfresh(JournalBase base);
    // Quit: the journal goes.
    void remove();

    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

private:
    bool open();

    std::string folder_;
    std::string path_;
    int fd_ = -1;
    bool written_ = false;  // the base line is in the file
    JournalBase base_;
    std::string error_;
};

// What a journal left behind holds: every complete record before any damage.
struct JournalContents {
    JournalBase base;
    std::vector<JournalStep> steps;
    std::size_t lostBytes = 0;  // after the last complete record
};
JournalContents readJournal(const std::string& path);

// The journals in `folder` whose program is no longer running (their lock is free), oldest first.
std::vector<std::string> leftJournals(const std::string& folder);

}  // namespace tallomer
