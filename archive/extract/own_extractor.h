// The frame shared by the extractors of this folder that read the archive
// themselves (ARC, ARJ, LHA) or through the RAR layer: a run marks itself
// running, clears the cancel flag and the member counter, catches the error
// that ends it, closes what it opened with OnDeactivate, and leaves
// ArchiveFile as it was set even when the run moved to another volume.
#pragma once

#include "archive/extractor_base.h"

#include <functional>
#include <initializer_list>
#include <memory>

namespace ov {

class FileLayer;

class OwnExtractor : public TExtractorBase {
protected:
    // Runs `body`; `opened` tells whether the archive was opened (then
    // `close` runs and OnDeactivate follows).
    void runFrame(const std::function<void()>& body, const std::function<bool()>& opened,
                  const std::function<void()>& close);

    // A run over one archive file of `kinds`: fatal 25243 without a file,
    // 25242 for another kind, 25235 when it cannot be opened.
    void runOnFile(std::initializer_list<TArcType> kinds, const std::function<void(FileLayer&)>& body);

    // The volume a multi-volume run starts at: the volume a listing named
    // for a single member, and, while the file is not of `kinds`, the one
    // the next-volume request finds (non-fatal 25242 for each wrong one,
    // fatal 25242 when none is found).
    void startVolume(std::initializer_list<TArcType> kinds, bool arj);

    // FileSpec names one member: the run ends after it.
    bool singleMember() const { return m_fileSpec.find_first_of("*?") == std::string::npos; }
};

} // namespace ov
