#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace host {

// What tells whether a file is still the one a run read or wrote: its size, its modification
// time and a checksum of its bytes. Size and time alone miss a rewrite within the file
// system's time resolution; the checksum alone would mean reading every file twice to compare.
struct FileFingerprint {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;  // st_mtim, nanoseconds since the epoch
    std::uint64_t checksum = 0;  // fingerprintChecksum of the whole file

    bool operator==(const FileFingerprint&) const = default;
};

// The fingerprint of the file at `path` as it is now; nullopt when it cannot be read (gone,
// no permission, not a regular file).
std::optional<FileFingerprint> fingerprintFile(const std::string& path);

// The checksum fingerprintFile uses, over bytes already in memory.
std::uint64_t fingerprintChecksum(const void* data, std::size_t size, std::uint64_t seed = 0xcbf29ce484222325ULL);

}  // namespace host
