// End-to-end ZIP extraction into a temporary folder: the input is the
// archive (read from memory, taken as a ZIP whatever its bytes say), the
// output real files under <root>/a/b/out. Invariant: nothing is created
// outside the output folder, no link is ever created, and every path the
// run reports lies inside it. Files are capped at 16 MB (RLIMIT_FSIZE, the
// write fails instead of killing the process) so a claimed 4 GB member
// cannot fill the disk.
//
// Seeds (fuzz/corpus/zip_extract/) were made with Info-ZIP zip 3.0:
//   plain.zip     zip -r plain.zip d            (stored and deflated members, a folder)
//   crypt.zip     zip -P secret crypt.zip a.txt (traditional encryption)
//   stream.zip    printf 'hello' | zip stream.zip -   (data descriptor)
//   link.zip      zip -y link.zip l             (a symbolic-link entry)
//   escape.zip    plain.zip with its names patched to "../../x" and "/abs"
#include "archive/extract/zip_extractor.h"
#include "archive/memory_file.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ForcedZip : public ov::TZipExtractor {
public:
    void DetectKind() override { m_arcType = ov::atZIP; }
};

// The fuzzing folder, made once and removed at exit.
const fs::path& root()
{
    static const fs::path made = [] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit { 16u << 20, 16u << 20 };
        setrlimit(RLIMIT_FSIZE, &limit);
        char pattern[] = "/tmp/ov-fuzz-zipx-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        std::atexit([] {
            std::error_code error;
            fs::remove_all(root(), error);
        });
        return fs::path(pattern);
    }();
    return made;
}

// True when `path`, taken lexically, lies strictly inside `folder`.
bool inside(const fs::path& path, const fs::path& folder)
{
    const fs::path relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fs::path base = root() / "a";
    const fs::path out = base / "b" / "out";
    std::error_code error;
    fs::remove_all(base, error);
    fs::create_directories(base / "b", error);

    auto store = std::make_shared<ov::MemoryFileStore>();
    store->add("/in/archive.zip", std::vector<uint8_t>(data, data + size));
    ForcedZip x;
    x.SetFileStore(store);
    x.SetArchiveFile("/in/archive.zip");
    x.SetExtractDir(out.string());
    x.Passwords = { "secret" };
    int answers = 0;
    x.OnGetPassword
        = [&answers](ov::TExtractorBase&, const std::string&, std::string& password, bool& tryAgain) {
              password = "wrong";
              tryAgain = ++answers < 3;
          };
    std::vector<std::string> reported;
    x.OnBegin
        = [&reported](ov::TExtractorBase&, const std::string& fn, int32_t, bool&) { reported.push_back(fn); };
    x.OnEnd = [&reported](ov::TExtractorBase&, const std::string& fn, bool) { reported.push_back(fn); };
    x.Extract();

    for (const std::string& fn : reported)
        if (!inside(fn, out))
            std::abort();
    // Only a/, a/b/ and what lies in a/b/out/ may exist, and no links.
    for (auto it = fs::recursive_directory_iterator(root(), error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path& path = it->path();
        if (it->is_symlink())
            std::abort();
        if (path != base && path != base / "b" && path != out && !inside(path, out))
            std::abort();
    }
    return 0;
}
