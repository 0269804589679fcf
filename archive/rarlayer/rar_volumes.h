// Volume sets of RAR archives: the name of the next volume, and whether a
// volume says that another one follows.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

// The volume after `path`: new style "name.part01.rar" → "name.part02.rar"
// (the width kept), old style "name.rar" → "name.r00", ".r99" → ".s00".
std::string nextRarVolume(const std::string& path);

// True when the RAR volume in `bytes` (the whole file) belongs to a set and
// is not its last volume: its end block says another volume follows, or,
// without an end block, its last member continues in the next volume. RAR
// 1.5-4.x and RAR 5 block chains; a self-extractor's stub is passed over.
bool rarVolumeContinues(const uint8_t* bytes, std::size_t size);

} // namespace ov
