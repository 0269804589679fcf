// SharedLibrary; see shared_library.h.
#include "platform/shared_library.h"

#include <dlfcn.h>
#include <utility>

namespace ov {

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr))
    , m_error(std::move(other.m_error))
{
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept
{
    if (this != &other) {
        unload();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool SharedLibrary::load(const std::string& pathOrName)
{
    return open(pathOrName, RTLD_NOW | RTLD_LOCAL);
}

bool SharedLibrary::loadUntilExit(const std::string& pathOrName)
{
    return open(pathOrName, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
}

bool SharedLibrary::open(const std::string& pathOrName, int flags)
{
    unload();
    m_handle = ::dlopen(pathOrName.c_str(), flags);
    if (m_handle) {
        m_error.clear();
        return true;
    }
    const char* text = ::dlerror();
    m_error = text ? text : "cannot load " + pathOrName;
    return false;
}

void SharedLibrary::unload()
{
    if (m_handle)
        ::dlclose(m_handle);
    m_handle = nullptr;
}

void* SharedLibrary::symbol(const char* name) const
{
    return m_handle ? ::dlsym(m_handle, name) : nullptr;
}

} // namespace ov
