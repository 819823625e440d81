#include "xls/writeback_hint.h"

#include <fcntl.h>

namespace host::xls {

void beginWriteback(std::FILE* file) {
#if defined(__linux__)
    // Without a WAIT flag this neither blocks on the disk nor takes an error fsync would report.
    sync_file_range(fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)file;
#endif
}

}  // namespace host::xls
