// The RAR layer over libarchive (see rar_layer.h). libarchive reads one
// byte stream; the layer hands it the volumes of a set one after the other,
// opening the next volume when the current one ends and says that another
// follows.
#include "archive/rarlayer/rar_layer.h"

#include "archive/extract/output_file.h"
#include "archive/rarlayer/rar_volumes.h"
#include "platform/host_file.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <locale.h>
#include <string>
#include <vector>

namespace {

constexpr std::size_t ReadBlock = 65536;

struct Layer {
    archive* reader = nullptr;
    archive_entry* entry = nullptr; // the member of the last RARReadHeader
    bool dataRead = false; // its data was processed
    ov::HostFile volume; // the open volume
    int64_t volumeAt = 0; // where the next read of it starts
    std::string volumePath;
    std::string firstFolder; // the folder of the first volume, with "/"
    bool volumeContinues = false;
    bool missingVolume = false; // the set broke off: a volume was not found
    bool aborted = false; // a callback said stop
    RarVolumeProc volumeProc = nullptr;
    void* volumeUser = nullptr;
    RarDataProc dataProc = nullptr;
    void* dataUser = nullptr;
    // libarchive may keep pointing into the bytes it was handed while it
    // decodes, so what it reads and what it writes use separate buffers.
    std::vector<unsigned char> input = std::vector<unsigned char>(ReadBlock);
    std::vector<unsigned char> output = std::vector<unsigned char>(ReadBlock);
};

bool exists(const std::string& path)
{
    return ov::isRegularHostFile(path);
}

// Opens `path` as the current volume and notes whether a volume follows.
// Only a regular file is taken: a FIFO or a device named as a volume is
// refused instead of blocking the read.
bool openVolume(Layer& layer, const std::string& path)
{
    ov::HostFile volume;
    if (!volume.open(path))
        return false;
    layer.volume = std::move(volume);
    layer.volumeAt = 0;
    layer.volumePath = path;
    // The block chain says whether the set goes on; volumes are small
    // enough to read whole for that, and a larger file is read in part.
    std::vector<uint8_t> bytes(std::size_t(std::min<int64_t>(layer.volume.size(), int64_t(64) << 20)));
    const std::ptrdiff_t got = layer.volume.readAt(0, bytes.data(), bytes.size());
    layer.volumeContinues = got > 0 && ov::rarVolumeContinues(bytes.data(), std::size_t(got));
    return true;
}

// Moves to the next volume of the set. The next name is looked for beside
// the current volume, then beside the first one (a volume supplied from
// elsewhere does not move the rest of the set): "notify" when it is there,
// "ask" when it is not, and a path the callback answers is taken as it is.
// False when the set cannot go on.
bool nextVolume(Layer& layer)
{
    char name[RarNameSize] = {};
    std::string wanted = ov::nextRarVolume(layer.volumePath);
    const std::string besideFirst = layer.firstFolder + wanted.substr(wanted.find_last_of('/') + 1);
    if (!exists(wanted) && exists(besideFirst))
        wanted = besideFirst;
    std::strncpy(name, wanted.c_str(), RarNameSize - 1);
    if (exists(name)) {
        if (layer.volumeProc && !layer.volumeProc(layer.volumeUser, name, RarVolumeNotify)) {
            layer.aborted = true;
            return false;
        }
        name[RarNameSize - 1] = '\0';
        if (openVolume(layer, name))
            return true;
    }
    if (!layer.volumeProc || !layer.volumeProc(layer.volumeUser, name, RarVolumeAsk)) {
        layer.missingVolume = true;
        return false;
    }
    name[RarNameSize - 1] = '\0';
    if (openVolume(layer, name))
        return true;
    layer.missingVolume = true;
    return false;
}

la_ssize_t readVolumes(archive*, void* data, const void** block)
{
    Layer& layer = *static_cast<Layer*>(data);
    for (;;) {
        const std::ptrdiff_t got
            = layer.volume.readAt(layer.volumeAt, layer.input.data(), layer.input.size());
        if (got != 0) {
            if (got > 0)
                layer.volumeAt += got;
            *block = layer.input.data();
            return got;
        }
        if (!layer.volumeContinues || !nextVolume(layer))
            return layer.missingVolume || layer.aborted ? -1 : 0;
    }
}

// libarchive converts names through the calling thread's locale; inside
// the layer that is UTF-8 whatever the program's locale is, so that names
// never fail to convert.
class Utf8Names {
public:
    Utf8Names()
    {
        // Made once per load of the layer and freed when it is unloaded.
        static const struct Locale {
            locale_t value = newlocale(LC_ALL_MASK, "C.UTF-8", locale_t(0));
            ~Locale()
            {
                if (value)
                    freelocale(value);
            }
        } utf8;
        if (utf8.value)
            m_previous = uselocale(utf8.value);
    }
    ~Utf8Names()
    {
        if (m_previous)
            uselocale(m_previous);
    }
    Utf8Names(const Utf8Names&) = delete;
    Utf8Names& operator=(const Utf8Names&) = delete;

private:
    locale_t m_previous = locale_t(0);
};

int resultOfFailure(Layer& layer)
{
    if (layer.aborted)
        return RarAborted;
    if (layer.missingVolume)
        return RarMissingVolume;
    const char* text = archive_error_string(layer.reader);
    if (text && (std::strstr(text, "ncrypt") || std::strstr(text, "assword")))
        return RarBadPassword;
    return RarBadData;
}

// A DOS date-time (local time) of Unix seconds.
unsigned dosTime(time_t when)
{
    std::tm tm {};
    if (!localtime_r(&when, &tm) || tm.tm_year < 80)
        return 0x00210000; // 1 January 1980
    return unsigned(tm.tm_year - 80) << 25 | unsigned(tm.tm_mon + 1) << 21 | unsigned(tm.tm_mday) << 16
        | unsigned(tm.tm_hour) << 11 | unsigned(tm.tm_min) << 5 | unsigned(tm.tm_sec / 2);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) void* RAROpenArchive(RarOpenRequest* request)
{
    const Utf8Names names;
    if (!request || !request->archiveName) {
        if (request)
            request->result = RarOpenError;
        return nullptr;
    }
    auto* layer = new Layer;
    const std::string first = request->archiveName;
    layer->firstFolder = first.substr(0, first.find_last_of('/') + 1);
    if (!openVolume(*layer, first)) {
        request->result = RarOpenError;
        delete layer;
        return nullptr;
    }
    layer->reader = archive_read_new();
    archive_read_support_format_rar(layer->reader);
    archive_read_support_format_rar5(layer->reader);
    if (archive_read_open2(layer->reader, layer, nullptr, readVolumes, nullptr, nullptr) != ARCHIVE_OK) {
        request->result = RarBadArchive;
        archive_read_free(layer->reader);
        delete layer;
        return nullptr;
    }
    request->result = RarSuccess;
    return layer;
}

__attribute__((visibility("default"))) int RARCloseArchive(void* handle)
{
    const Utf8Names names;
    auto* layer = static_cast<Layer*>(handle);
    if (!layer)
        return RarCloseError;
    archive_read_free(layer->reader);
    const bool closed = !layer->volume.isOpen() || layer->volume.close();
    delete layer;
    return closed ? RarSuccess : RarCloseError;
}

__attribute__((visibility("default"))) int RARReadHeader(void* handle, RarMemberHeader* header)
{
    const Utf8Names names;
    auto& layer = *static_cast<Layer*>(handle);
    std::memset(header, 0, sizeof *header);
    const int status = archive_read_next_header(layer.reader, &layer.entry);
    layer.dataRead = false;
    if (status == ARCHIVE_EOF)
        return RarEndArchive;
    if (status < ARCHIVE_WARN) {
        layer.entry = nullptr;
        return resultOfFailure(layer);
    }
    const char* name = archive_entry_pathname_utf8(layer.entry);
    if (!name)
        name = archive_entry_pathname(layer.entry);
    std::strncpy(header->fileName, name ? name : "", RarNameSize - 1);
    const mode_t type = archive_entry_filetype(layer.entry);
    if (archive_entry_is_data_encrypted(layer.entry) > 0)
        header->flags |= RarFlagEncrypted;
    if (type == AE_IFLNK || archive_entry_hardlink(layer.entry))
        header->flags |= RarFlagLink;
    header->unpackedSize = archive_entry_size_is_set(layer.entry) ? archive_entry_size(layer.entry) : -1;
    header->unixTime = archive_entry_mtime(layer.entry);
    header->dosTime = dosTime(time_t(header->unixTime));
    const mode_t mode = archive_entry_mode(layer.entry);
    header->attributes = type == AE_IFDIR ? 0x10 : 0x20;
    if (!(mode & 0200))
        header->attributes |= 0x01;
    return RarSuccess;
}

__attribute__((visibility("default"))) int RARProcessFile(
    void* handle, int operation, const char* destFolder, const char* destPath)
{
    const Utf8Names names;
    auto& layer = *static_cast<Layer*>(handle);
    if (!layer.entry || layer.dataRead)
        return RarBadData;
    layer.dataRead = true;
    if (operation == RarSkip)
        return RarSuccess; // the next header read passes the data over
    if (archive_entry_is_data_encrypted(layer.entry) > 0)
        return RarBadPassword;
    if (archive_entry_filetype(layer.entry) != AE_IFREG || archive_entry_hardlink(layer.entry))
        return RarSuccess; // folders and links write nothing
    const bool extract = operation == RarExtract;
    ov::OutputFile out;
    if (extract && (!destFolder || !destPath || !out.open(ov::OutputRoot(destFolder), destPath)))
        return RarCreateError;
    const int64_t size = archive_entry_size_is_set(layer.entry) ? archive_entry_size(layer.entry) : -1;
    int64_t written = 0;
    for (;;) {
        const la_ssize_t got = archive_read_data(layer.reader, layer.output.data(), layer.output.size());
        if (got == 0)
            break;
        if (got < 0) {
            // Data decoded whole but failing its check is kept, as every
            // extractor keeps a member whose CRC fails.
            const int result = resultOfFailure(layer);
            if (extract && size >= 0 && written == size && result == RarBadData)
                out.commit(archive_entry_mtime(layer.entry), !(archive_entry_mode(layer.entry) & 0200));
            return result;
        }
        // Never more than the member claims.
        if (size >= 0 && written + got > size)
            return RarBadData;
        if (layer.dataProc && !layer.dataProc(layer.dataUser, layer.output.data(), std::size_t(got)))
            return RarAborted;
        if (extract && !out.write(layer.output.data(), std::size_t(got)))
            return RarWriteError;
        written += got;
    }
    if (size >= 0 && written != size)
        return RarBadData;
    if (extract && !out.commit(archive_entry_mtime(layer.entry), !(archive_entry_mode(layer.entry) & 0200)))
        return RarWriteError;
    return RarSuccess;
}

__attribute__((visibility("default"))) void RARSetChangeVolProc(void* handle, RarVolumeProc proc, void* user)
{
    auto& layer = *static_cast<Layer*>(handle);
    layer.volumeProc = proc;
    layer.volumeUser = user;
}

__attribute__((visibility("default"))) void RARSetProcessDataProc(void* handle, RarDataProc proc, void* user)
{
    auto& layer = *static_cast<Layer*>(handle);
    layer.dataProc = proc;
    layer.dataUser = user;
}

__attribute__((visibility("default"))) void RARSetPassword(void*, const char*)
{
    // libarchive cannot decrypt RAR; encrypted members fail with
    // RarBadPassword whatever is set here.
}

} // extern "C"
