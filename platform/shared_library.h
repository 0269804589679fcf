// SharedLibrary: a library of the host loaded at run time, for the parts
// that work without it (the RAR layer). Loaded with every symbol bound at
// once and kept local to the library; unloaded when the owner goes.
#pragma once

#include <string>

namespace ov {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary() { unload(); }
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads a library by path, or by bare name through the system's search.
    // false with errorText() set (the loader's own message) when it cannot.
    bool load(const std::string& pathOrName);
    // As load, but the library stays in the process until it ends, even when
    // unloaded: for a host library whose code may have to be named after the
    // last user let it go (a leak report inside it names it and its calls).
    bool loadUntilExit(const std::string& pathOrName);
    void unload();
    bool isLoaded() const { return m_handle != nullptr; }

    // The address of an exported symbol, or null when there is none.
    void* symbol(const char* name) const;
    // Sets function to the exported function of that name; false (and a
    // null function) when there is none.
    template <typename Function> bool function(const char* name, Function& function) const
    {
        function = reinterpret_cast<Function>(symbol(name));
        return function != nullptr;
    }

    const std::string& errorText() const { return m_error; }

private:
    bool open(const std::string& pathOrName, int flags);

    void* m_handle = nullptr;
    std::string m_error;
};

} // namespace ov
