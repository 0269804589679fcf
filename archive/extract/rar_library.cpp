#include "archive/extract/rar_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <optional>
#include <vector>

namespace ov {

namespace {

constexpr const char* LibraryName = "libovrar.so";

struct Loaded {
    void* handle = nullptr;
    RarLibrary calls;
    ~Loaded()
    {
        if (handle)
            dlclose(handle);
    }
};

std::string explicitPath;
std::optional<Loaded> loaded;

std::string programFolder()
{
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0)
        return {};
    std::string text(path.data(), std::size_t(length));
    return text.substr(0, text.find_last_of('/') + 1);
}

void* openLayer()
{
    if (!explicitPath.empty())
        return dlopen(explicitPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    const std::string folder = programFolder();
    for (const std::string& candidate : { folder + LibraryName, folder + "../lib/" + LibraryName,
                                          folder + "../archive/rarlayer/" + LibraryName }) {
        if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))
            return handle;
    }
    return dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
}

template <typename Call>
bool take(void* handle, const char* name, Call& call)
{
    call = reinterpret_cast<Call>(dlsym(handle, name));
    return call != nullptr;
}

} // namespace

const RarLibrary* rarLibrary()
{
    if (!loaded) {
        loaded.emplace();
        void* handle = openLayer();
        if (!handle)
            return nullptr;
        loaded->handle = handle;
        RarLibrary& c = loaded->calls;
        if (!take(handle, "RAROpenArchive", c.open) || !take(handle, "RARCloseArchive", c.close) ||
            !take(handle, "RARReadHeader", c.readHeader) || !take(handle, "RARProcessFile", c.processFile) ||
            !take(handle, "RARSetChangeVolProc", c.setChangeVolProc) ||
            !take(handle, "RARSetProcessDataProc", c.setProcessDataProc) ||
            !take(handle, "RARSetPassword", c.setPassword))
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
