// ovtool arc cp: F5 out of an archive panel, from the command line.
//
//   ovtool arc cp ARCHIVE DIR [PATH...]
//
// Copies the entries PATH (inner paths with "\" or "/", files or folders
// with everything below them, all in one folder of the archive) into the
// host folder DIR under their own names, relative to that folder, as the
// copy out of an archive panel in that folder does; no PATH copies
// everything at the archive's top. One extraction runs through the
// extractor of the archive's detected kind. Each error goes to stderr as
// "ovtool arc: error CODE: TEXT (FILE)"; the exit status is 1 on any
// failure (an entry not in the archive included), 2 for a usage error.
#include "archive/messages.h"
#include "fileops/archive_extraction.h"
#include "panel/arc_disk.h"
#include "panel/entry.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace ov;

namespace {

int usage()
{
    std::fprintf(stderr, "usage: ovtool arc cp ARCHIVE DIR [PATH...]\n");
    return 2;
}

void report(int32_t code, const std::string& fileName)
{
    std::fprintf(stderr, "ovtool arc: error %d: %s (%s)\n", code,
        std::string(archiveMessageText(code)).c_str(), fileName.c_str());
}

// The inner path in the list's form: "\" separators, none at either end.
std::string innerForm(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    while (!path.empty() && path.front() == '\\')
        path.erase(path.begin());
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

} // namespace

int ovtoolArcCopy(int argc, char** argv)
{
    // argv[0] is "arc", argv[1] "cp".
    if (argc < 4)
        return usage();
    const std::string archive = argv[2];
    const std::string target = argv[3];
    int failures = 0;

    // The entries as the archive's panel lists them: each must be there, and
    // all in one folder, the folder the copy is relative to.
    TARCDiskInterface disk("c:\\archive", archive);
    disk.OnError = [&failures](TARCDiskInterface&, const std::string& fn, const std::string&, int32_t code) {
        ++failures;
        report(code, fn);
    };
    disk.Read();
    ExtractionRequest request;
    request.archive = archive;
    request.target = target;
    bool first = true;
    for (int i = 4; i < argc; ++i) {
        const std::string path = innerForm(argv[i]);
        const auto slash = path.find_last_of('\\');
        const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (first)
            request.baseFolder = folder;
        else if (folder != request.baseFolder) {
            std::fprintf(stderr, "ovtool arc cp: %s is not in folder '%s' of the other entries\n", argv[i],
                request.baseFolder.c_str());
            return 2;
        }
        first = false;
        bool found = false;
        Entry entry;
        for (bool more = disk.FindFirst(folder, entry); more && !found; more = disk.FindNext(entry))
            found = !name.empty() && entry.FullName == name;
        if (!found) {
            std::fprintf(stderr, "ovtool arc cp: no entry %s in %s\n", argv[i], archive.c_str());
            return 1;
        }
        request.members.push_back(path);
    }
    if (request.members.empty()) {
        // Everything at the top: each entry there, as a selection of all.
        Entry entry;
        for (bool more = disk.FindFirst("", entry); more; more = disk.FindNext(entry))
            request.members.push_back(entry.FullName);
        if (request.members.empty())
            return failures > 0 ? 1 : 0;
    }
    if (request.baseFolder.size() > 0 && request.baseFolder.back() == '\\')
        request.baseFolder.pop_back();

    ArchiveExtraction extraction;
    const ExtractionResult result = extraction.run(request);
    for (const ExtractionError& error : result.errors)
        report(error.code, error.fileName);
    return failures > 0 || !result.opened || !result.errors.empty() ? 1 : 0;
}
