// ArchiveExtraction: one extraction run out of an archive into a host
// folder, without a window. The extract window (the whole archive) and the
// archive disk (a copy of chosen entries out of one of its folders) both run
// it.
//
// A run picks the extractor of the archive's detected kind (never by the
// extension) and runs it once over every member, choosing members by their
// inner paths and placing them below the target with the inner base folder
// taken off their names. What keeps the target safe is the extractor's own:
// nothing outside the target folder, links never written or followed below
// it, each member through a temporary file renamed into place (a failed
// member leaves the earlier file as it was). The run adds two rules: a
// member whose target is the archive file itself is refused, and a member
// that arrives damaged (its CRC fails) or cancelled gives the earlier file
// at its target back, as a failed one does.
//
// Errors are collected with their code and file name and handed out at the
// end; the user's own cancel ends the run after the current block, its
// temporary file removed and the finished members kept, without an error.
//
// Passwords: the request's password first, then those that worked before in
// this object's lifetime, then the AskPassword hook (three tries per member
// at most, as the extractors count them). A password that worked is kept.
#pragma once

#include "archive/arc_type.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ov {

class TExtractorBase;

struct ExtractionRequest {
    // The archive, a host path.
    std::string archive;
    // Its detected kind; atNA detects it here.
    TArcType kind = atNA;
    // The entries to extract, files or folders (a folder takes everything
    // below it), as inner paths relative to the archive's root in the
    // archive's "\" form. Empty: every member below `baseFolder`.
    std::vector<std::string> members;
    // The inner folder the entries were chosen in, "\" form; its path is
    // taken off the members' names (from folder "a\b", member "a\b\c.txt"
    // is written as "c.txt"). Members outside it are never written.
    std::string baseFolder;
    // The host folder written into (made when missing).
    std::string target;
    // A password to try first (the extract dialog's); empty for none.
    std::string password;
};

struct ExtractionError {
    int32_t code = 0;
    // The archive or member the message is about, as the extractor names it.
    std::string fileName;
    std::string msgEx;
};

struct ExtractionProgress {
    // The member's target path (host form).
    std::string fileName;
    // Members begun in this run so far, this one included (1-based).
    int32_t memberNumber = 0;
    // Per cent of this member done.
    uint8_t percent = 0;
    // This member's unpacked size as stored.
    int64_t memberBytes = 0;
    // Unpacked bytes of this run so far: the finished members' sizes plus
    // this member's share by `percent`.
    int64_t bytesDone = 0;
};

struct ExtractionResult {
    // The extractor opened the archive (its directory could be read).
    bool opened = false;
    // The run was cancelled by the user.
    bool cancelled = false;
    // Members begun (the last may have been cancelled or failed).
    int32_t membersBegun = 0;
    // Every error of the run in the order raised.
    std::vector<ExtractionError> errors;
};

class ArchiveExtraction {
public:
    ArchiveExtraction();
    ~ArchiveExtraction();
    ArchiveExtraction(const ArchiveExtraction&) = delete;
    ArchiveExtraction& operator=(const ArchiveExtraction&) = delete;

    // Runs one extraction and returns its result (also given to OnEnd).
    // A second call while a run is active (from a hook that pumps messages)
    // does nothing and returns an empty result.
    ExtractionResult run(const ExtractionRequest& request);

    // Asks the active run to stop after its current block; a cancel before
    // a run's first member still stops it. Cleared when the next run starts.
    void cancel();
    bool cancelled() const { return m_cancelled; }
    bool running() const { return m_running; }

    // The passwords that worked so far, the latest first.
    const std::vector<std::string>& passwords() const { return m_passwords; }

    // The detected kind of a host file (atNA when missing or unknown).
    static TArcType detectKind(const std::string& archive);

    // --- Hooks and events ---------------------------------------------------
    // Pending window messages, run between blocks and members.
    std::function<void()> ProcessMessages;
    // Asks for a password for `member`; false when the user declined.
    std::function<bool(const std::string& member, std::string& password)> AskPassword;
    // The archive was opened and its members are about to be written.
    std::function<void()> OnOpened;
    // A member began (percent 0) or advanced.
    std::function<void(const ExtractionProgress& progress)> OnProgress;
    // Each error as it is raised (also collected in the result).
    std::function<void(const ExtractionError& error)> OnError;
    // The run ended, whether or not the archive was opened.
    std::function<void(const ExtractionResult& result)> OnEnd;

    // Test seam: called on the extractor before it runs.
    std::function<void(TExtractorBase& extractor)> PrepareExtractor;

private:
    struct Run;
    void addError(Run& state, int32_t code, const std::string& fileName, const std::string& msgEx = "0");
    ExtractionResult finish(Run& state);
    void stopExtractor();

    std::vector<std::string> m_passwords;
    bool m_running = false;
    bool m_cancelled = false;
    bool m_stopping = false;
    TExtractorBase* m_extractor = nullptr;
};

// The text of the one message box that shows the errors of a run: for each
// error its file name, then "Error#: " and the code, then "Error: " and the
// code's text from the message table ("General Message: " and "Messge: "
// for the general messages 26500-26999), each part followed by two lone
// carriage returns (the box shows one as a line break). At most `shown`
// errors, then "… and N more". Empty for no errors.
std::string extractionErrorText(const std::vector<ExtractionError>& errors, std::size_t shown = 20);

// An inner path in the form the extractors write members under: "\" and
// "/" as separators, a drive prefix, leading separators and empty or "."
// components dropped, "/" between the rest. Empty when nothing is left.
std::string normalInnerPath(const std::string& innerPath);

} // namespace ov
