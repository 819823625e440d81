#pragma once
// Memory for the large byte buffers a save builds (megabytes of cell records). Where the
// system offers huge pages they are asked for: first touching and then releasing eight
// megabytes in 4 KB pages costs a few milliseconds of page faults, in 2 MB pages a fraction.
#include <cstddef>
#include <cstdint>

namespace host::xls {

// At least `capacity` bytes, uninitialised; `capacity` is raised to what was taken. Throws
// std::bad_alloc when there is no memory.
std::uint8_t* allocateBytes(std::size_t& capacity);
// Gives back what allocateBytes returned, with the capacity it reported; null is ignored.
void releaseBytes(std::uint8_t* data, std::size_t capacity);

}  // namespace host::xls
