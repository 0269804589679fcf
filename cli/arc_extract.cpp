// ovtool arc t ARCHIVE: decodes every member and checks its CRC, one line
// per member and a summary; exit 1 on any failure.
// ovtool arc x [-p password] ARCHIVE DIR: extracts with stored folders.
// Testing extracts into a temporary folder that is removed afterwards.
#include "archive/extract/extractor_for.h"
#include "archive/messages.h"
#include "archive/names.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

// `codePage` decodes names stored by DOS and Windows archivers (see arc.cpp).
int ovtoolArcExtract(int argc, char** argv, ov::OemCodePage codePage)
{
    // argv[0] "arc", argv[1] the verb.
    const std::string verb = argc > 1 ? argv[1] : "";
    std::string password;
    int at = 2;
    if (verb == "x" && at + 1 < argc && std::string(argv[at]) == "-p") {
        password = argv[at + 1];
        at += 2;
    }
    const bool test = verb == "t";
    if ((test && argc != at + 1) || (!test && argc != at + 2)) {
        std::fprintf(stderr, "usage: ovtool arc t ARCHIVE | ovtool arc x [-p password] ARCHIVE DIR\n");
        return 2;
    }
    const std::string archive = argv[at];
    std::string dir;
    if (test) {
        char pattern[] = "/tmp/ovtool-test-XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("mkdtemp");
            return 1;
        }
        dir = pattern;
    } else {
        dir = std::filesystem::absolute(argv[at + 1]).string();
    }

    // The kind first, then the extractor for it.
    ov::TExtractorBase probe;
    probe.SetArchiveFile(archive);
    auto extractor = ov::extractorFor(probe.ArcType());
    int failures = 0, members = 0;
    if (!extractor) {
        std::printf("%s: %s\n", archive.c_str(),
            std::string(ov::archiveMessageText(ov::msgUnsupportedArchiveType)).c_str());
        failures = 1;
    } else {
        extractor->NameCodePage = codePage;
        extractor->SetArchiveFile(archive);
        extractor->SetExtractDir(dir);
        extractor->OnGetPassword
            = [&password](ov::TExtractorBase&, const std::string&, std::string& answer, bool& tryAgain) {
                  answer = password;
                  tryAgain = !password.empty();
                  password.clear(); // asked once
              };
        // A member whose decoding failed is reported twice (its error, then
        // its end with the check failed): it counts once.
        bool reported = false;
        extractor->OnBegin
            = [&reported](ov::TExtractorBase&, const std::string&, int32_t, bool&) { reported = false; };
        extractor->OnEnd = [&](ov::TExtractorBase&, const std::string& fn, bool crcPass) {
            ++members;
            std::string shown = fn.substr(std::min(fn.size(), dir.size() + 1));
            std::printf("%-50s %s\n", shown.c_str(), crcPass ? "OK" : reported ? "failed" : "CRC failed");
            failures += crcPass || reported ? 0 : 1;
            reported = false;
        };
        extractor->OnError = [&](ov::TArchiveCommon&, const std::string& fn, const std::string&,
                                 const std::string&, int32_t code) {
            ++failures;
            reported = true;
            std::printf("%-50s %d %s\n", fn.c_str(), code, std::string(ov::archiveMessageText(code)).c_str());
        };
        extractor->Extract();
    }
    if (test)
        std::filesystem::remove_all(dir);
    std::printf("%d member(s), %d error(s)\n", members, failures);
    return failures ? 1 : 0;
}
