// fcolors.ini: the colours the panels give file names by extension, section
// FilesColors, one integer key per extension without its dot (bat=16777215).
// Missing keys (or a missing file) give white; values are kept as the
// integers they are, negative system colours included.
#pragma once

#include <string>

namespace ov {

class ExtensionColors;

// The name of the file in the program's folder.
inline constexpr const char* FilesColorsFileName = "fcolors.ini";

// Loads the table from the file at hostPath; every key the file lacks is white.
void LoadFilesColors(const std::string& hostPath, ExtensionColors& table);
// Writes all 39 keys in one atomic replacement of the file (other sections
// and lines kept). False when the write failed.
bool SaveFilesColors(const std::string& hostPath, const ExtensionColors& table);

} // namespace ov
