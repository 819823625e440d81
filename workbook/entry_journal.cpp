#include "workbook/entry_journal.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "workbook/state_folder.h"

namespace tallomer {

namespace {
constexpr const char* kPrefix = "journal-";
constexpr const char* kSuffix = ".tlj";

std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 't' ? '\t' : c == 'n' ? '\n' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        out.push_back(line.substr(start, tab - start));
    }
    out.push_back(line.substr(start));
    return out;
}

// A record: its fields, a tab, the checksum of what comes before it, a newline.
std::string line(const std::string& payload) {
    char sum[17];
    std::snprintf(sum, sizeof sum, "%016llx",
                  static_cast<unsigned long long>(host::fingerprintChecksum(payload.data(), payload.size())));
    return payload + "\t" + sum + "\n";
}

std::string baseLine(const JournalBase& base) {
    std::string payload = "B\t" + escape(base.path);
    if (base.fingerprint) {
        payload += "\t" + std::to_string(base.fingerprint->size) + "\t" + std::to_string(base.fingerprint->modifiedNs) +
                   "\t" + std::to_string(base.fingerprint->checksum);
    }
    return line(payload);
}

std::string stepLine(const JournalStep& step) {
    if (step.step == EntryStep::Undo) return line("U");
    if (step.step == EntryStep::Redo) return line("R");
    std::string payload = "S";
    for (const std::string& text : step.texts) payload += "\t" + escape(text);
    return line(payload);
}

bool writeAll(int fd, const std::string& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}
}  // namespace

EntryJournal::EntryJournal(std::string folder) : folder_(std::move(folder)) {}

EntryJournal::~EntryJournal() {
    if (fd_ >= 0) ::close(fd_);
}

bool EntryJournal::open() {
    if (fd_ >= 0) return true;
    if (!makeStateFolder(folder_)) {
        error_ = "The folder " + folder_ + " cannot be made.";
        return false;
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    path_ = folder_ + "/" + kPrefix +
            std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) + "-" +
            std::to_string(::getpid()) + kSuffix;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error_ = path_ + ": " + std::strerror(errno);
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

bool EntryJournal::record(const JournalStep& step) {
    if (!open()) return false;
    std::string bytes = written_ ? std::string() : baseLine(base_);
    bytes += stepLine(step);
    if (!writeAll(fd_, bytes) || ::fdatasync(fd_) != 0) {
        error_ = path_ + ": " + std::strerror(errno);
        return false;
    }
    written_ = true;
    return true;
}

void EntryJournal::startAfresh(JournalBase base) {
    base_ = std::move(base);
    written_ = false;
    error_.clear();
    if (fd_ >= 0 && ::ftruncate(fd_, 0) == 0) ::lseek(fd_, 0, SEEK_SET);
}

void EntryJournal::remove() {
    if (fd_ < 0) return;
    ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
    written_ = false;
}

JournalContents readJournal(const std::string& path) {
    JournalContents contents;
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    const std::string bytes = all.str();
    std::size_t good = 0;
    bool haveBase = false;
    for (std::size_t end; (end = bytes.find('\n', good)) != std::string::npos; good = end + 1) {
        const std::string record = bytes.substr(good, end - good);
        const std::size_t tab = record.rfind('\t');
        if (tab == std::string::npos || line(record.substr(0, tab)) != record + "\n") break;
        const std::vector<std::string> f = fields(record.substr(0, tab));
        if (!haveBase) {
            if (f[0] != "B" || (f.size() != 2 && f.size() != 5)) break;
            contents.base.path = unescape(f[1]);
            if (f.size() == 5) {
                contents.base.fingerprint =
                    host::FileFingerprint{std::stoull(f[2]), std::stoll(f[3]), std::stoull(f[4])};
            }
            haveBase = true;
        } else if (f[0] == "S" && f.size() == 7) {
            JournalStep step;
            for (int i = 0; i < 6; ++i) step.texts[i] = unescape(f[i + 1]);
            contents.steps.push_back(step);
        } else if ((f[0] == "U" || f[0] == "R") && f.size() == 1) {
            contents.steps.push_back({f[0] == "U" ? EntryStep::Undo : EntryStep::Redo, {}});
        } else {
            break;
        }
    }
    contents.lostBytes = bytes.size() - good;
    return contents;
}

std::vector<std::string> leftJournals(const std::string& folder) {
    std::vector<std::string> found;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return found;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(kPrefix, 0) != 0 || name.size() < 5 || name.substr(name.size() - 4) != kSuffix) continue;
        const std::string path = folder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) found.push_back(path);  // its program has gone
        ::close(fd);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());  // the names begin with the time they were made
    return found;
}

}  // namespace tallomer
