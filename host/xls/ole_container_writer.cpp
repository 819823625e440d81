#include "xls/ole_container_writer.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <mutex>

#include "xls/writeback_hint.h"

namespace host::xls {
namespace {

// A large stream goes to the file a slice at a time, the disk starting on each slice while
// the next is copied in.
constexpr std::size_t kWritebackSlice = std::size_t(1) << 20;

}  // namespace

bool writeCompoundFile(std::FILE* file, const std::vector<ByteSpan>& workbookStream) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { gsf_init(); });

    GsfOutput* sink = gsf_output_stdio_new_FILE("workbook", file, TRUE);
    if (!sink) return false;
    GsfOutfile* container = gsf_outfile_msole_new(sink);
    bool ok = container != nullptr;
    if (ok) {
        GsfOutput* stream = gsf_outfile_new_child(container, "Workbook", FALSE);
        ok = stream != nullptr;
        if (ok) {
            std::size_t total = 0;
            std::size_t sinceWriteback = 0;
            for (const ByteSpan& part : workbookStream) {
                for (std::size_t done = 0; ok && done < part.size;) {
                    const std::size_t n = std::min(part.size - done, kWritebackSlice - sinceWriteback);
                    ok = gsf_output_write(stream, n, part.data + done);
                    done += n;
                    sinceWriteback += n;
                    if (sinceWriteback == kWritebackSlice) {
                        beginWriteback(file);
                        sinceWriteback = 0;
                    }
                }
                total += part.size;
            }
            // Trailing zero bytes after the last EOF are ignored by readers; they keep a small
            // workbook out of the mini stream.
            if (ok && total < kMinWorkbookStreamSize) {
                const std::vector<std::uint8_t> padding(kMinWorkbookStreamSize - total, 0);
                ok = gsf_output_write(stream, padding.size(), padding.data());
            }
            ok = gsf_output_close(stream) && ok;
            g_object_unref(stream);
        }
        ok = gsf_output_close(GSF_OUTPUT(container)) && ok;
        g_object_unref(container);
    }
    // Closing the container closes its sink too.
    if (!gsf_output_is_closed(sink)) ok = gsf_output_close(sink) && ok;
    g_object_unref(sink);
    return ok;
}

}  // namespace host::xls
