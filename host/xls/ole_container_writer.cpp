#include "xls/ole_container_writer.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <mutex>

namespace host::xls {

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
            for (const ByteSpan& part : workbookStream) {
                ok = ok && gsf_output_write(stream, part.size, part.data);
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
