// The frame shared by the extractors of this folder that read the archive
// themselves (ARC, ARJ, LHA) or through the RAR layer: a run marks itself
// running, clears the cancel flag and the member counter, catches the error
// that ends it, closes what it opened with OnDeactivate, and leaves
// ArchiveFile as it was set even when the run moved to another volume.
#pragma once

#include "archive/extract/output_file.h"
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

    // A run over one archive file of `kinds`: fatal msgInvalidFileName
    // without a file, msgUnsupportedArchiveType for another kind,
    // msgErrorOpening when it cannot be opened.
    void runOnFile(std::initializer_list<TArcType> kinds, const std::function<void(FileLayer&)>& body);

    // The volume a multi-volume run starts at: the volume a listing named
    // for a single member, and, while the file is not of `kinds`, the one
    // the next-volume request finds (non-fatal msgUnsupportedArchiveType for
    // each wrong one, fatal msgUnsupportedArchiveType when none is found).
    void startVolume(std::initializer_list<TArcType> kinds, bool arj);

    // FileSpec names one member: the run ends after it.
    bool singleMember() const { return m_fileSpec.find_first_of("*?") == std::string::npos; }

    // The output folder of the run, made and resolved the first time a
    // member is written to it (again only when the folder changes).
    const OutputRoot& outputRoot()
    {
        m_outputRoot.follow(targetFolder());
        return m_outputRoot;
    }

private:
    OutputRoot m_outputRoot;
};

} // namespace ov
