#include "fileops/archive_extraction.h"

#include "archive/extract/extractor_for.h"
#include "archive/extract/rar_extractor.h"
#include "archive/extract/zip_extractor.h"
#include "archive/message_codes.h"
#include "archive/messages.h"
#include "archive/names.h"
#include "platform/file_system.h"

#include <algorithm>
#include <filesystem>

namespace ov {

std::string normalInnerPath(const std::string& innerPath)
{
    std::string name(withoutDrive(innerPath));
    std::replace(name.begin(), name.end(), '\\', '/');
    std::string result;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        const std::string part = name.substr(start, end - start);
        if (!part.empty() && part != ".") {
            if (!result.empty())
                result += '/';
            result += part;
        }
        start = end + 1;
    }
    return result;
}

std::string extractionErrorText(const std::vector<ExtractionError>& errors, std::size_t shown)
{
    std::string text;
    for (std::size_t i = 0; i < errors.size() && i < shown; ++i)
        text += archiveMessageBlock(errors[i].fileName, errors[i].code);
    if (errors.size() > shown)
        text += "\u2026 and " + std::to_string(errors.size() - shown) + " more";
    return text;
}

namespace {

// True when `path` is `folder` or below it ("/" separators, both
// normalised; an empty folder holds everything). Case-sensitive, as the
// archive's folders are.
bool within(const std::string& path, const std::string& folder)
{
    if (folder.empty())
        return true;
    return path.size() >= folder.size() && path.compare(0, folder.size(), folder) == 0
        && (path.size() == folder.size() || path[folder.size()] == '/');
}

} // namespace

// The earlier file at a member's target, kept aside under a second name
// while the member is written: a member that fails (its data, its CRC, a
// cancel) gets the earlier file back in place, a member that arrives whole
// drops it. A hard link costs nothing and survives the extractor's rename
// over the target; where the library writes the target in place (RAR) or
// the file system has no links, a copy is kept instead.
class EarlierFile {
public:
    // Keeps the regular file at `target` (never a link or anything else).
    void keep(const std::string& target, bool inPlaceWriter)
    {
        drop();
        namespace fs = std::filesystem;
        std::error_code error;
        if (!fs::is_regular_file(fs::symlink_status(target, error)))
            return;
        static uint64_t counter = 0;
        const fs::path path(target);
        const std::string aside = (path.parent_path()
            / (".ov-earlier-" + std::to_string(++counter) + "-" + path.filename().string()))
                                      .string();
        fs::remove(aside, error);
        error.clear();
        if (!inPlaceWriter)
            fs::create_hard_link(target, aside, error);
        if (inPlaceWriter || error) {
            error.clear();
            fs::copy_file(target, aside, error);
        }
        if (error) {
            fs::remove(aside, error);
            return;
        }
        m_target = target;
        m_aside = aside;
    }
    // The member at `target` ended; whole or not.
    void settle(const std::string& target, bool whole)
    {
        if (m_target.empty() || target != m_target)
            return;
        std::error_code error;
        if (!whole)
            std::filesystem::rename(m_aside, m_target, error);
        drop();
    }
    void drop()
    {
        if (!m_aside.empty()) {
            std::error_code error;
            std::filesystem::remove(m_aside, error);
        }
        m_target.clear();
        m_aside.clear();
    }
    ~EarlierFile() { drop(); }

private:
    std::string m_target;
    std::string m_aside;
};

struct ArchiveExtraction::Run {
    ExtractionResult result;
    EarlierFile earlier;
    // Errors raised before the current member began.
    std::size_t errorsBefore = 0;
    std::string archive;
    HostEntry archiveFacts;
    bool archiveKnown = false;
    std::string lastName;
    int64_t memberBytes = 0;
    int64_t finishedBytes = 0;
};

ArchiveExtraction::ArchiveExtraction() = default;
ArchiveExtraction::~ArchiveExtraction() = default;

TArcType ArchiveExtraction::detectKind(const std::string& archive)
{
    TExtractorBase probe;
    probe.SetArchiveFile(archive);
    return probe.ArcType();
}

void ArchiveExtraction::cancel()
{
    m_cancelled = true;
    stopExtractor();
}

void ArchiveExtraction::stopExtractor()
{
    // The component's Cancel runs pending messages; a cancel usually comes
    // from one of them, so none are run from here.
    if (!m_extractor || m_stopping)
        return;
    m_stopping = true;
    m_extractor->Cancel(true);
    m_stopping = false;
}

void ArchiveExtraction::addError(
    Run& state, int32_t code, const std::string& fileName, const std::string& msgEx)
{
    ExtractionError error { code, fileName, msgEx };
    state.result.errors.push_back(error);
    if (OnError)
        OnError(error);
}

ExtractionResult ArchiveExtraction::finish(Run& state)
{
    state.result.cancelled = m_cancelled;
    m_extractor = nullptr;
    m_running = false;
    if (OnEnd)
        OnEnd(state.result);
    return state.result;
}

ExtractionResult ArchiveExtraction::run(const ExtractionRequest& request)
{
    if (m_running)
        return {};
    m_running = true;
    m_cancelled = false;
    Run state;
    state.archive = request.archive;

    const TArcType kind = request.kind == atNA ? detectKind(request.archive) : request.kind;
    std::unique_ptr<TExtractorBase> extractor = extractorFor(kind);
    if (!extractor) {
        // A missing file, a file of no known kind, a kind that is only
        // listed (no extractor reads it).
        HostEntry facts;
        int32_t code = msgUnsupportedArchiveType;
        if (kind == atNA || kind == atFileOpenErr)
            code = statPath(request.archive, facts) ? msgErrorOpening : msgFileNotFound;
        else if (kind == atUnknown || kind == atUnsupported)
            code = msgUnknownFileType;
        addError(state, code, TExtractorBase::fileNamePart(request.archive));
        return finish(state);
    }
    TExtractorBase& x = *extractor;
    m_extractor = &x;
    x.SetArchiveFile(request.archive);
    x.SetExtractDir(request.target);
    x.SetUseStoredDirs(true);
    x.SetFileSpec("*.*");
    x.ProcessMessages = [this] {
        if (ProcessMessages && !m_stopping)
            ProcessMessages();
    };
    state.archiveKnown = statPath(request.archive, state.archiveFacts);

    // Members chosen by inner path and placed below the base folder.
    const std::string base = normalInnerPath(request.baseFolder);
    std::vector<std::string> chosen;
    for (const std::string& member : request.members)
        chosen.push_back(normalInnerPath(member));
    if (!base.empty() || !chosen.empty()) {
        x.PlaceMember = [base, chosen](const std::string& path) -> std::string {
            if (!chosen.empty() && std::none_of(chosen.begin(), chosen.end(), [&](const std::string& entry) {
                    return !entry.empty() && within(path, entry);
                }))
                return {};
            if (!within(path, base) || path.size() == base.size())
                return {};
            return base.empty() ? path : path.substr(base.size() + 1);
        };
    }

    // Passwords: the request's first, then those that worked before.
    std::vector<std::string> known;
    if (!request.password.empty())
        known.push_back(request.password);
    for (const std::string& password : m_passwords)
        if (std::find(known.begin(), known.end(), password) == known.end())
            known.push_back(password);
    auto* zip = dynamic_cast<TZipExtractor*>(&x);
    auto* rar = dynamic_cast<TRarExtractor*>(&x);
    if (zip)
        zip->Passwords = known;
    if (rar && !known.empty())
        rar->Password = known.front();
    x.OnGetPassword = [this](TExtractorBase&, const std::string& fn, std::string& password, bool& tryAgain) {
        password.clear();
        tryAgain = AskPassword && !m_cancelled && AskPassword(fn, password);
    };

    x.OnActivate = [this, &state](TArchiveCommon&) {
        state.result.opened = true;
        // The extractor clears its cancel flag when it opens the archive; a
        // cancel that came earlier still holds.
        if (m_cancelled)
            stopExtractor();
        if (OnOpened)
            OnOpened();
    };
    x.OnError = [this, &state](TArchiveCommon&, const std::string& fn, const std::string& msgEx,
                    const std::string&, int32_t code) { addError(state, code, fn, msgEx); };

    auto report = [this, &state](const std::string& fn, uint8_t percent) {
        if (!OnProgress)
            return;
        ExtractionProgress progress;
        progress.fileName = fn;
        progress.memberNumber = state.result.membersBegun;
        progress.percent = percent;
        progress.memberBytes = state.memberBytes;
        progress.bytesDone = state.finishedBytes + state.memberBytes * percent / 100;
        OnProgress(progress);
    };
    x.OnBegin
        = [this, &state, report](TExtractorBase& sender, const std::string& fn, int32_t, bool& extract) {
              if (m_cancelled) {
                  extract = false;
                  stopExtractor();
                  return;
              }
              // Writing over the archive being read would destroy it: refused.
              HostEntry facts;
              if (state.archiveKnown && statPath(fn, facts) && facts.device == state.archiveFacts.device
                  && facts.inode == state.archiveFacts.inode) {
                  extract = false;
                  addError(state, msgErrorWriting, TExtractorBase::fileNamePart(fn));
                  return;
              }
              state.errorsBefore = state.result.errors.size();
              state.earlier.keep(fn, dynamic_cast<TRarExtractor*>(&sender) != nullptr);
              state.finishedBytes += state.memberBytes;
              state.memberBytes = sender.UnpackedSize;
              ++state.result.membersBegun;
              state.lastName = fn;
              report(fn, 0);
          };
    // A member ends: the CRC failure is reported as the extractors report
    // it without this handler (never after a write that failed, nor for the
    // user's own cancel), and a member that is not whole gives the earlier
    // file back.
    x.OnEnd = [this, &state](TExtractorBase&, const std::string& fn, bool crcPass) {
        if (!crcPass && !m_cancelled) {
            const bool writeFailed = std::any_of(state.result.errors.begin()
                    + static_cast<std::ptrdiff_t>(std::min(state.errorsBefore, state.result.errors.size())),
                state.result.errors.end(),
                [](const ExtractionError& error) { return error.code == msgErrorWriting; });
            if (!writeFailed)
                addError(state, msgCrcFailed, TExtractorBase::fileNamePart(fn));
        }
        state.earlier.settle(fn, crcPass);
    };
    x.OnProgress = [&state, report](TExtractorBase&, const std::string& fn, uint8_t percent) {
        if (fn == state.lastName)
            report(fn, percent);
    };
    if (PrepareExtractor)
        PrepareExtractor(x);

    x.Extract();
    // A run cancelled in the middle of a member gives its earlier file back.
    if (m_cancelled)
        state.earlier.settle(state.lastName, false);
    state.earlier.drop();

    // Keep the passwords that worked: those the extractor took from the
    // hook (the ZIP extractor puts them first), the RAR one it ended with.
    std::vector<std::string> worked;
    if (zip)
        for (const std::string& password : zip->Passwords) {
            if (std::find(known.begin(), known.end(), password) != known.end())
                break;
            worked.push_back(password);
        }
    if (rar && !rar->Password.empty())
        worked.push_back(rar->Password);
    for (auto it = worked.rbegin(); it != worked.rend(); ++it) {
        m_passwords.erase(std::remove(m_passwords.begin(), m_passwords.end(), *it), m_passwords.end());
        m_passwords.insert(m_passwords.begin(), *it);
    }
    return finish(state);
}

} // namespace ov
