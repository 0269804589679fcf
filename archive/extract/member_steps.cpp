#include "archive/extract/member_steps.h"

#include "archive/extract/output_file.h"
#include "archive/extractor_base.h"
#include "archive/messages.h"

namespace ov {

std::string memberTarget(TExtractorBase& x, const std::string& name)
{
    const bool parent = hasParentComponent(name);
    if (parent && x.PlaceMember)
        return {};
    const std::string target = parent ? std::string() : x.SetTargetName(name);
    if (target.empty()) {
        x.nonFatal(msgInvalidFileName, name);
        return target;
    }
    if (!x.PlaceMember)
        return target;
    // SetTargetName puts the output folder ("/" adds nothing) before "/"
    // and the member's path.
    const std::string folder = x.targetFolder();
    const std::size_t prefix = folder == "/" ? 0 : folder.size();
    const std::string placed = x.PlaceMember(target.substr(prefix + 1));
    if (placed.empty() || hasParentComponent(placed))
        return {};
    return target.substr(0, prefix) + "/" + placed;
}

bool memberAccepted(TExtractorBase& x, const std::string& target, TDateTime fileDate, int32_t recNum)
{
    bool extract = true;
    if (x.OnFileExists && x.fileStore().exists(target))
        x.OnFileExists(x, target, fileDate, extract);
    if (extract && x.OnBegin)
        x.OnBegin(x, target, recNum, extract);
    return extract;
}

void memberEnded(TExtractorBase& x, const std::string& target, bool crcPass, MemberWrite write)
{
    if (x.OnEnd)
        x.OnEnd(x, target, crcPass);
    else if (!crcPass && write == MemberWrite::Done)
        x.nonFatal(msgCrcFailed, target);
}

} // namespace ov
