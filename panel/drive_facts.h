// Facts about drives and memory that the panel shows: readiness, free and
// total space, volume label and serial number, and the memory figures of the
// information mode. The host is asked through platform/volumes.
//
// A remote drive is never asked in a way that can hang the window: its
// questions run on a helper thread and the answer is awaited for a short
// time only; a drive that does not answer in time counts as not ready (or
// gives no figures). The helper thread finishes on its own whenever the
// mount answers.
#pragma once

#include "platform/volumes.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace ov {

struct VolumeFacts {
    std::string label; // as the system reports it; empty when it has none
    std::string serial; // "1A2B:3C4D"; empty when the query failed
};

// How long a remote drive may take to answer.
constexpr std::chrono::milliseconds remoteDriveTimeout { 300 };

// True when the drive letter is mapped to a folder that exists.
bool driveReady(char letter);
// Free and total bytes of the drive's file system.
DiskSpace driveSpace(char letter);
// Label and serial number of the volume that holds the drive's root.
VolumeFacts volumeFacts(char letter);
// memoryStatus() and parseMemInfo() come from platform/volumes.h.

// The label as the information mode shows it: "No-name" when empty,
// upper-cased (lower-cased when letter is lower case) with its first
// character upper-cased, in brackets: "[DATA]".
std::string VolumeLabel(char letter, const std::string& label);
// A volume serial as eight hex digits "1A2B:3C4D" from a file system UUID
// or FAT serial text ("1a2b-3c4d", "01234567-89ab-..."); empty when the
// text has fewer than eight hex digits.
std::string serialFromUuid(const std::string& uuid);

// The questions the drive bars ask about a drive; each may block on a dead
// mount. Empty functions take the defaults: ready when the drive is mapped,
// its folder exists and its size can be read; the label of its volume.
struct DriveQuestions {
    std::function<bool(char letter)> ready;
    std::function<std::string(char letter)> label;
    // Which drives are asked on a helper thread (default: the drive table's
    // remote drives).
    std::function<bool(char letter)> remote;
};

// Readiness and volume labels for windows that ask on every mouse move.
// Every answer is kept for `lifetime`. A remote drive is asked on a helper
// thread and awaited for at most `timeout`; a late drive counts as not ready
// (no label), and while a question to it is still out it is not asked again:
// later calls return at once with the same "no answer" until the helper
// thread comes back. So a dead mount costs the window one wait, not one per
// call. Not thread-safe: one window thread uses one cache.
class DriveFactsCache {
public:
    using Clock = std::chrono::steady_clock;

    explicit DriveFactsCache(DriveQuestions questions = {},
        std::chrono::milliseconds lifetime = std::chrono::milliseconds(1000),
        std::chrono::milliseconds timeout = remoteDriveTimeout);
    ~DriveFactsCache();
    DriveFactsCache(const DriveFactsCache&) = delete;
    DriveFactsCache& operator=(const DriveFactsCache&) = delete;

    // True when the drive answered "ready" within the bound.
    bool ready(char letter);
    // The volume label ("" when it has none); nullopt when the drive did not
    // answer in time.
    std::optional<std::string> label(char letter);
    // Forgets every kept answer (questions still out stay out).
    void clear();

    // Helper threads started so far (for tests and benchmarks).
    int questionsAsked() const { return m_asked; }

    // The state one question shares with its helper thread.
    struct Pending;

private:
    struct Kept {
        bool answered = false;
        bool ready = false;
        std::string label;
        Clock::time_point at;
        std::shared_ptr<Pending> pending;
    };
    // Fills kept from a fresh answer, from a question that came back since,
    // or with "no answer".
    void refresh(char letter, bool wantLabel, Kept& kept);

    DriveQuestions m_questions;
    std::chrono::milliseconds m_lifetime;
    std::chrono::milliseconds m_timeout;
    std::map<char, Kept> m_ready;
    std::map<char, Kept> m_labels;
    int m_asked = 0;
};

} // namespace ov
