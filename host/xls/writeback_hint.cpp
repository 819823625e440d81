#include "xls/writeback_hint.h"

#include <fcntl.h>

namespace host::xls {

void beginWriteback(int fd) {
#if defined(__linux__)
    // Without a WAIT flag this neither blocks on the disk nor takes an error fsync would report.
    sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
#endif
}

}  // namespace host::xls
