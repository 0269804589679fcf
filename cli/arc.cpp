// ovtool arc: lists archives ("l") and hands testing and extraction ("t",
// "x") to the extraction command when this build has it.
//
//   ovtool arc l [--dirs] [--mask MASK] ARCHIVE
// prints the kind, then one line per member:
//   FileName UnpackedSize PackedSize Ratio Crc MethodName FileDate ExternalAttr VolumeName
// separated by tabs (Crc and ExternalAttr in hex); OnError reports go to
// stderr as "ovtool arc: error CODE: TEXT (FILE, DETAIL)". Exit status 0
// when the listing ran, 1 when it failed, 2 for a usage error.
#include "archive/archive_lister.h"
#include "archive/messages.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#ifdef OV_CMD_arc_extract
int ovtoolArcExtract(int argc, char** argv);
#endif

namespace {

int usage()
{
    std::fprintf(stderr, "usage: ovtool arc l [--dirs] [--mask MASK] ARCHIVE\n"
                         "       ovtool arc t|x ...\n");
    return 2;
}

int list(int argc, char** argv)
{
    ov::TArchiveLister lister;
    std::string archive;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dirs") == 0)
            lister.ShowBlankDirs = true;
        else if (std::strcmp(argv[i], "--mask") == 0 && i + 1 < argc)
            lister.SetFileSpec(argv[++i]);
        else if (archive.empty() && argv[i][0] != '-')
            archive = argv[i];
        else
            return usage();
    }
    if (archive.empty())
        return usage();
    lister.OnError = [](ov::TArchiveCommon&, const std::string& fn, const std::string& msgEx,
                        const std::string&, int32_t code) {
        std::fprintf(stderr, "ovtool arc: error %d: %s (%s, %s)\n", code,
                     std::string(ov::archiveMessageText(code)).c_str(), fn.c_str(), msgEx.c_str());
    };
    lister.OnRead = [](ov::TArchiveLister& l, int64_t, int32_t) {
        std::printf("%s\t%" PRId64 "\t%" PRId64 "\t%d\t%08" PRIx32 "\t%s\t%s\t%04x\t%s\n", l.FileName.c_str(),
                    l.UnpackedSize, l.PackedSize, l.Ratio, l.Crc, l.MethodName.c_str(),
                    ov::formatDateTime(l.FileDate).c_str(), static_cast<unsigned>(l.ExternalAttr),
                    l.VolumeName.c_str());
    };
    lister.SetArchiveFile(archive);
    std::printf("%s\n", std::string(ov::arcTypeName(lister.ArcType())).c_str());
    return lister.Activate() ? 0 : 1;
}

} // namespace

int ovtoolArc(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string verb = argv[1];
    if (verb == "l")
        return list(argc, argv);
    if (verb == "t" || verb == "x") {
#ifdef OV_CMD_arc_extract
        return ovtoolArcExtract(argc, argv);
#else
        std::fprintf(stderr, "ovtool arc: extraction is not available in this build\n");
        return 2;
#endif
    }
    return usage();
}
