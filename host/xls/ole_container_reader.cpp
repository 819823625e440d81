#include "xls/ole_container_reader.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <strings.h>

#include "host/host_error.h"
#include "xls/biff_version.h"

namespace host::xls {

namespace {

constexpr std::uint8_t kOleSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// Owns a GObject reference.
template <typename T>
struct GObjectRef {
    T* p = nullptr;
    explicit GObjectRef(T* object) : p(object) {}
    ~GObjectRef() {
        if (p) g_object_unref(p);
    }
    GObjectRef(const GObjectRef&) = delete;
    GObjectRef& operator=(const GObjectRef&) = delete;
};

void initGsfOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged container is reported once, by the HostError; libgsf's own warnings
        // would only add noise on stderr.
        for (const char* domain : {"libgsf", "libgsf:msole", static_cast<const char*>(nullptr)}) {
            g_log_set_handler(domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                                                  G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_INFO |
                                                                  G_LOG_LEVEL_DEBUG),
                              [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
        }
    });
}

// Where the whole stream lies in one run of the file's bytes, that run; else nullptr. Read in
// pieces without a buffer, the container hands out each piece in place when its sectors are
// consecutive: the stream lies in one run when every piece follows the one before.
const std::uint8_t* streamInPlace(GsfInput* stream, std::size_t length, std::span<const std::uint8_t> file) {
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    const std::uint8_t* first = nullptr;
    for (std::size_t done = 0; done < length;) {
        const std::size_t n = std::min(kPiece, length - done);
        const std::uint8_t* p = gsf_input_read(stream, n, nullptr);
        if (!p) throw HostError("the workbook is damaged: its workbook stream cannot be read to the end");
        if (done == 0) first = p;
        const auto at = reinterpret_cast<std::uintptr_t>(p);
        const auto start = reinterpret_cast<std::uintptr_t>(file.data());
        const bool inFile = at >= start && at - start <= file.size() && n <= file.size() - (at - start);
        if (!inFile || p != first + done) return nullptr;
        done += n;
    }
    return first;
}

}  // namespace

// Members are released in reverse order: the stream before its container, the container
// before the input it reads.
struct WorkbookStreamBytes::Container {
    GObjectRef<GsfInput> input;
    GObjectRef<GsfInfile> infile{nullptr};
    GObjectRef<GsfInput> stream{nullptr};
    explicit Container(GsfInput* in) : input(in) {}
};

WorkbookStreamBytes::WorkbookStreamBytes(std::unique_ptr<Container> container, PrefaultedBuffer gathered,
                                         std::span<const std::uint8_t> bytes)
    : container_(std::move(container)), gathered_(std::move(gathered)), bytes_(bytes) {}
WorkbookStreamBytes::WorkbookStreamBytes(WorkbookStreamBytes&&) noexcept = default;
WorkbookStreamBytes& WorkbookStreamBytes::operator=(WorkbookStreamBytes&&) noexcept = default;
WorkbookStreamBytes::~WorkbookStreamBytes() = default;

WorkbookStreamBytes readWorkbookStream(std::span<const std::uint8_t> file) {
    if (file.empty()) throw HostError("not an Excel 97-2003 workbook: the file is empty");
    if (file.size() < sizeof kOleSignature || std::memcmp(file.data(), kOleSignature, sizeof kOleSignature) != 0) {
        // Excel 2.1 to 4.0 wrote their records straight into the file, without a container.
        if (const auto older = olderBiffVersion(file)) throw HostError(olderFormatMessage(*older));
        if (file.size() >= 4 && std::memcmp(file.data(), "PK\x03\x04", 4) == 0) {
            throw HostError("not an Excel 97-2003 workbook: the file is a zip archive, such as a newer Excel (.xlsx) workbook");
        }
        throw HostError("not an Excel 97-2003 workbook: the file is not an OLE2 compound document");
    }
    initGsfOnce();
    auto parts = std::make_unique<WorkbookStreamBytes::Container>(
        gsf_input_memory_new(file.data(), static_cast<gsf_off_t>(file.size()), FALSE));
    GError* error = nullptr;
    parts->infile.p = gsf_infile_msole_new(parts->input.p, &error);
    GsfInfile* container = parts->infile.p;
    if (!container) {
        if (error) g_error_free(error);
        throw HostError("not an Excel 97-2003 workbook: the compound document is damaged");
    }
    const int children = gsf_infile_num_children(container);
    int workbook = -1;
    bool book = false;
    for (int i = 0; i < children; ++i) {
        const char* name = gsf_infile_name_by_index(container, i);
        if (!name) continue;
        if (strcasecmp(name, "Workbook") == 0) {
            workbook = i;
            break;
        }
        if (strcasecmp(name, "Book") == 0) book = true;
    }
    if (workbook < 0) {
        if (book) throw HostError(olderFormatMessage(BiffVersion::Biff5));
        throw HostError("not an Excel 97-2003 workbook: the file has no workbook stream");
    }
    parts->stream.p = gsf_infile_child_by_index(container, workbook);
    GsfInput* stream = parts->stream.p;
    if (!stream) throw HostError("not an Excel 97-2003 workbook: the workbook stream cannot be read");
    const gsf_off_t size = gsf_input_size(stream);
    // A stream cannot hold more than the file it is stored in.
    if (size < 0 || static_cast<std::uint64_t>(size) > file.size()) {
        throw HostError("the workbook is damaged: its workbook stream claims more bytes than the file has");
    }
    const auto length = static_cast<std::size_t>(size);
    if (const std::uint8_t* inPlace = streamInPlace(stream, length, file)) {
        return WorkbookStreamBytes(std::move(parts), {}, {inPlace, length});
    }
    PrefaultedBuffer gathered;
    try {
        gathered = PrefaultedBuffer(length);
    } catch (const std::bad_alloc&) {
        throw HostError("the workbook is too large to open: no memory for its workbook stream");
    }
    if (length > 0 && (gsf_input_seek(stream, 0, G_SEEK_SET) ||
                       !gsf_input_read(stream, length, gathered.data()))) {
        throw HostError("the workbook is damaged: its workbook stream cannot be read to the end");
    }
    // The copy stands alone: the container and the file's bytes may go.
    const std::span<const std::uint8_t> bytes(gathered.data(), length);
    return WorkbookStreamBytes(nullptr, std::move(gathered), bytes);
}

}  // namespace host::xls
