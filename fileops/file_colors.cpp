// fcolors.ini; see file_colors.h.
#include "fileops/file_colors.h"

#include "panel/panel_text.h"
#include "platform/ini_file.h"

namespace ov {

namespace {

constexpr const char* section = "FilesColors";
constexpr int white = 0xFFFFFF;

} // namespace

void LoadFilesColors(const std::string& hostPath, ExtensionColors& table)
{
    const IniFile file(hostPath);
    const auto& extensions = ExtensionColors::extensions();
    for (std::size_t i = 0; i < extensions.size(); ++i)
        table.colors[i] = file.readInteger(section, extensions[i].substr(1), white);
}

bool SaveFilesColors(const std::string& hostPath, const ExtensionColors& table)
{
    IniFile file(hostPath);
    file.beginBatch();
    const auto& extensions = ExtensionColors::extensions();
    for (std::size_t i = 0; i < extensions.size(); ++i)
        file.writeInteger(section, extensions[i].substr(1), table.colors[i]);
    return file.commit();
}

} // namespace ov
