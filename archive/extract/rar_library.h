// The RAR layer (libovrar.so) as TRarExtractor reaches it: loaded once, on
// first use, from the path set by setRarLibraryPath or else beside the
// program, in ../lib, in ../lib/orvanta (a package install) and in the build
// tree's archive/rarlayer/; released when the program ends. A missing library
// is no error until a RAR extraction needs it.
#pragma once

#include "archive/rarlayer/rar_layer.h"

#include <string>

namespace ov {

struct RarLibrary {
    decltype(&RAROpenArchive) open = nullptr;
    decltype(&RARCloseArchive) close = nullptr;
    decltype(&RARReadHeader) readHeader = nullptr;
    decltype(&RARProcessFile) processFile = nullptr;
    decltype(&RARSetChangeVolProc) setChangeVolProc = nullptr;
    decltype(&RARSetProcessDataProc) setProcessDataProc = nullptr;
    decltype(&RARSetPassword) setPassword = nullptr;
};

// The loaded layer, or null when it cannot be found or lacks a call.
const RarLibrary* rarLibrary();

// Where to load the layer from (tests; an empty path restores the search).
// The next rarLibrary() loads afresh.
void setRarLibraryPath(const std::string& path);

} // namespace ov
