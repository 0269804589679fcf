// ovtool arc: lists archives ("l") and hands testing and extraction ("t",
// "x") to the extraction command, the panel's view of an archive ("ls") to
// arc_panel.cpp and the copy out of an archive panel ("cp") to arc_copy.cpp
// when this build has them.
//
//   ovtool arc l [--dirs] [--mask MASK] ARCHIVE
// prints the kind, then one line per member:
//   FileName UnpackedSize PackedSize Ratio Crc MethodName FileDate ExternalAttr VolumeName
// separated by tabs (Crc and ExternalAttr in hex); OnError reports go to
// stderr as "ovtool arc: error CODE: TEXT (FILE, DETAIL)". Exit status 0
// when the listing ran, 1 when it failed, 2 for a usage error.
//
// Names stored by DOS and Windows archivers are decoded from the OEM code
// page of the user's language, as the file manager does: CP866 for Russian,
// CP852 for Polish, CP437 otherwise. The language is the locale's
// (LC_ALL, LC_MESSAGES, LANG); `--codepage 437|866|852` before the verb or
// anywhere after it overrides it for every verb.
#include "archive/archive_lister.h"
#include "archive/messages.h"
#include "archive/names.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#ifdef OV_CMD_arc_extract
int ovtoolArcExtract(int argc, char** argv, ov::OemCodePage codePage);
#endif
#ifdef OV_CMD_arc_panel
int ovtoolArcLs(int argc, char** argv);
#endif
#if defined(OV_CMD_arc_copy) && defined(OV_CMD_arc_panel)
int ovtoolArcCopy(int argc, char** argv);
#endif

namespace {

int usage()
{
    std::fprintf(stderr,
        "usage: ovtool arc [--codepage 437|866|852] l [--dirs] [--mask MASK] ARCHIVE\n"
        "       ovtool arc [--codepage 437|866|852] t|x ...\n"
        "       ovtool arc ls [--hidden] [--sort MODE] ARCHIVE [FOLDER]\n"
        "       ovtool arc cp ARCHIVE DIR [PATH...]\n");
    return 2;
}

// The code page named on the command line; nothing for an unknown one.
std::optional<ov::OemCodePage> namedCodePage(const std::string& number)
{
    if (number == "437")
        return ov::OemCodePage::Cp437;
    if (number == "866")
        return ov::OemCodePage::Cp866;
    if (number == "852")
        return ov::OemCodePage::Cp852;
    return std::nullopt;
}

// The OEM code page of the locale's language ("ru_RU.UTF-8" is Russian).
ov::OemCodePage localeCodePage()
{
    const char* locale = nullptr;
    for (const char* variable : { "LC_ALL", "LC_MESSAGES", "LANG" })
        if (const char* value = std::getenv(variable); value && *value) {
            locale = value;
            break;
        }
    const std::string language = locale ? std::string(locale).substr(0, 2) : std::string();
    if (language == "ru")
        return ov::oemCodePageForLanguage("Russian");
    if (language == "pl")
        return ov::oemCodePageForLanguage("Polish");
    return ov::oemCodePageForLanguage("English");
}

int list(int argc, char** argv, ov::OemCodePage codePage)
{
    ov::TArchiveLister lister;
    lister.NameCodePage = codePage;
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
    // "--codepage N" is taken out wherever it stands; the verbs parse the rest.
    ov::OemCodePage codePage = localeCodePage();
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--codepage") == 0) {
            const auto named = i + 1 < argc ? namedCodePage(argv[i + 1]) : std::nullopt;
            if (!named)
                return usage();
            codePage = *named;
            ++i;
            continue;
        }
        argv[kept++] = argv[i];
    }
    argc = kept;
    if (argc < 2)
        return usage();
    const std::string verb = argv[1];
    if (verb == "l")
        return list(argc, argv, codePage);
#ifdef OV_CMD_arc_panel
    if (verb == "ls")
        return ovtoolArcLs(argc, argv);
#endif
#if defined(OV_CMD_arc_copy) && defined(OV_CMD_arc_panel)
    if (verb == "cp")
        return ovtoolArcCopy(argc, argv);
#endif
    if (verb == "t" || verb == "x") {
#ifdef OV_CMD_arc_extract
        return ovtoolArcExtract(argc, argv, codePage);
#else
        std::fprintf(stderr, "ovtool arc: extraction is not available in this build\n");
        return 2;
#endif
    }
    return usage();
}
