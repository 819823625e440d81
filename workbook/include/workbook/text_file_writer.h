#pragma once
#include <string>

namespace tallomer {

// Writes `bytes` to `path` beside it and renames the new file over it once complete and on
// disk, so that a failure leaves any file there as it was. std::runtime_error ("cannot write
// PATH: why") when it cannot.
void WriteTextFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace tallomer
