#include "archive/extract/rar_library.h"

#include "platform/folders.h"
#include "platform/shared_library.h"

#include <optional>

namespace ov {

namespace {

constexpr const char* LibraryName = "libovrar.so";

struct Loaded {
    SharedLibrary library;
    RarLibrary calls;
};

std::string explicitPath;
std::optional<Loaded> loaded;

// Beside the program, in an installed lib folder, in the build tree, then
// wherever the system's search finds it.
bool openLayer(SharedLibrary& library)
{
    if (!explicitPath.empty())
        return library.load(explicitPath);
    const std::string folder = executableFolder() + "/";
    for (const std::string& candidate : { folder + LibraryName, folder + "../lib/" + LibraryName,
             folder + "../lib/orvanta/" + LibraryName, folder + "../archive/rarlayer/" + LibraryName }) {
        if (library.load(candidate))
            return true;
    }
    return library.load(LibraryName);
}

} // namespace

const RarLibrary* rarLibrary()
{
    if (!loaded) {
        loaded.emplace();
        SharedLibrary& library = loaded->library;
        if (!openLayer(library))
            return nullptr;
        RarLibrary& c = loaded->calls;
        if (!library.function("RAROpenArchive", c.open) || !library.function("RARCloseArchive", c.close)
            || !library.function("RARReadHeader", c.readHeader)
            || !library.function("RARProcessFile", c.processFile)
            || !library.function("RARSetChangeVolProc", c.setChangeVolProc)
            || !library.function("RARSetProcessDataProc", c.setProcessDataProc)
            || !library.function("RARSetPassword", c.setPassword))
            c.open = nullptr;
    }
    return loaded->calls.open ? &loaded->calls : nullptr;
}

void setRarLibraryPath(const std::string& path)
{
    explicitPath = path;
    loaded.reset();
}

} // namespace ov
