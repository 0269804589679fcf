#include "archive/extract/member_steps.h"

#include "archive/extract/output_file.h"
#include "archive/extractor_base.h"
#include "archive/messages.h"

namespace ov {

std::string memberTarget(TExtractorBase& x, const std::string& name)
{
    const std::string target = hasParentComponent(name) ? std::string() : x.SetTargetName(name);
    if (target.empty())
        x.nonFatal(msgInvalidFileName, name);
    return target;
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
