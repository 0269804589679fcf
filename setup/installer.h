// The installer's engine: the steps "&Install" runs, without a window.
//
// An install first checks the target folder and the payload as a whole;
// nothing is written before both pass. The payload is then unpacked with the
// archive library's TZipExtractor into a staging folder inside the target
// (so every later rename stays on one file system), every member's CRC
// checked; only when all of them are there is each file renamed into its
// place. A failure before that removes the staging folder (and a target
// folder the install made), so an earlier installation stays exactly as it
// was; a process killed at any moment leaves every file under its final
// name complete, old or new, and the next run removes the stale staging
// folder and completes. A rename also replaces a running program (writing
// into it would fail with "Text file busy") and a link standing at a
// member's place, never what the link points to. Only after the files are
// in place are the records written and the menu entries made.
#pragma once

#include "setup/payload_check.h"

#include <functional>
#include <string>

namespace ov {

// What is wrong with a target folder, in the order it is checked.
enum class TargetProblem {
    None,
    Empty, // no folder given
    Relative, // not an absolute path
    Root, // the root folder
    BadName, // a control character in the path
    NotAFolder, // something other than a folder stands there
    NoParent, // its parent folder is missing (only the last level is made)
    Foreign, // a non-empty folder holding no earlier installation: ask first
};

struct TargetCheck {
    TargetProblem problem = TargetProblem::None;
    std::string message; // for the user; "" when there is no problem
    std::string folder; // the target without trailing separators
};

// Checks `target` before anything is written. `recorded` is the recorded
// Install_Path: a non-empty folder is foreign unless it is that folder or
// holds an earlier installation (its ov, or the staging folder of an
// interrupted run).
TargetCheck checkTarget(const std::string& target, const std::string& recorded);

// $XDG_DATA_HOME, else ~/.local/share (no trailing separator).
std::string dataHome();
// The folder offered first: the recorded Install_Path when there is one,
// else /opt/orvanta for the superuser and $XDG_DATA_HOME/orvanta for others.
std::string presetFolder();
// The recorded Install_Path ("" when none): QSettings in native format, user
// scope, organisation "Orvanta".
std::string recordedInstallPath();
// Writes the two records: Install_Path, and Path in section MainForm of the
// ov.ini in the Windows folder. false with the reason in `error`.
bool writeInstallRecords(const std::string& target, std::string& error);
// The folder of the menu entries: $XDG_DATA_HOME/applications/orvanta.
std::string shortcutFolder();
// Writes the three menu entries for `target` (replacing earlier ones).
bool writeShortcuts(const std::string& target, std::string& error);
// The payload ov_setup installs: data.res in the current folder, else in
// the program's own folder (started from a menu, the current folder is
// rarely the right one); the first path when neither has it.
std::string findPayload(const std::string& currentFolder, const std::string& programFolder);

class Installer {
public:
    std::string Target; // host path of the target folder
    std::string Payload; // host path of data.res
    bool Shortcuts = true; // make the menu entries after the files

    // A member staged (written and its CRC checked), and placed (renamed
    // into the target); `done` of `total` members (folders included).
    std::function<void(const std::string& path, int done, int total)> OnStaged;
    std::function<void(const std::string& path, int done, int total)> OnPlaced;
    // The gauge: members staged × 100 / member count, 0..100.
    std::function<void(int percent)> OnGauge;
    // Lets pending window messages run between blocks.
    std::function<void()> ProcessMessages;

    // Runs the install. The caller has asked about a foreign target; every
    // other target problem fails here before anything is written. false
    // with the reason in error().
    bool Install();

    const std::string& error() const { return m_error; }
    const PayloadCheck& payload() const { return m_payload; }

private:
    bool fail(const std::string& why);
    bool stage(const std::string& staging);
    bool place(const std::string& staging);

    std::string m_target;
    std::string m_error;
    PayloadCheck m_payload;
};

} // namespace ov
