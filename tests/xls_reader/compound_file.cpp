#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include "biff_builder.h"

namespace xls_test {

Bytes compoundFile(const Bytes& stream, const std::string& streamName, bool padSmall) {
    gsf_init();
    GsfOutput* memory = gsf_output_memory_new();
    GsfOutfile* container = gsf_outfile_msole_new(memory);
    GsfOutput* child = gsf_outfile_new_child(container, streamName.c_str(), FALSE);
    gsf_output_write(child, stream.size(), stream.data());
    // Below 4096 bytes a stream goes to the mini stream; pad as writers do.
    if (padSmall && stream.size() < 4096) {
        const Bytes pad(4096 - stream.size(), 0);
        gsf_output_write(child, pad.size(), pad.data());
    }
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(container));
    g_object_unref(container);
    const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory));
    Bytes out(data, data + gsf_output_size(memory));
    g_object_unref(memory);
    return out;
}

}  // namespace xls_test
