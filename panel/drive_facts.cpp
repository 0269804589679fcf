#include "panel/drive_facts.h"

#include "platform/drives.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace ov {

namespace {

// Runs question on a helper thread and waits at most timeout for it; the
// fallback is returned when the answer is late. The thread owns its state,
// so a late answer is simply dropped.
template <typename T>
T askWithTimeout(std::function<T()> question, std::chrono::milliseconds timeout, T fallback)
{
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        bool ready = false;
        T answer {};
    };
    auto state = std::make_shared<State>();
    std::thread([state, question = std::move(question)] {
        T answer = question();
        std::lock_guard lock(state->mutex);
        state->answer = std::move(answer);
        state->ready = true;
        state->done.notify_all();
    }).detach();
    std::unique_lock lock(state->mutex);
    if (!state->done.wait_for(lock, timeout, [&] { return state->ready; }))
        return fallback;
    return state->answer;
}

std::string hostRootOf(char letter)
{
    const Drive* drive = DriveTable::instance().find(letter);
    return drive ? drive->hostRoot : std::string();
}

bool isRemote(char letter)
{
    return DriveTable::instance().typeOf(letter) == DriveType::Remote;
}

VolumeFacts factsOf(const std::string& hostRoot)
{
    const VolumeNames names = volumeNames(hostRoot);
    return VolumeFacts { names.label, serialFromUuid(names.uuid) };
}

} // namespace

bool driveReady(char letter)
{
    if (!isRemote(letter))
        return DriveTable::instance().isReady(letter);
    return askWithTimeout<bool>(
        [letter] { return DriveTable::instance().isReady(letter); }, remoteDriveTimeout, false);
}

DiskSpace driveSpace(char letter)
{
    const std::string root = hostRootOf(letter);
    if (!isRemote(letter))
        return volumeSpace(root);
    return askWithTimeout<DiskSpace>([root] { return volumeSpace(root); }, remoteDriveTimeout, DiskSpace {});
}

VolumeFacts volumeFacts(char letter)
{
    const std::string root = hostRootOf(letter);
    if (!isRemote(letter))
        return factsOf(root);
    return askWithTimeout<VolumeFacts>([root] { return factsOf(root); }, remoteDriveTimeout, VolumeFacts {});
}

std::string VolumeLabel(char letter, const std::string& label)
{
    std::string text = label;
    const bool lower = letter >= 'a' && letter <= 'z';
    for (char& c : text) {
        if (lower && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (!lower && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    if (text.empty())
        text = "No-name";
    if (text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return "[" + text + "]";
}

std::string serialFromUuid(const std::string& uuid)
{
    std::string digits;
    for (char c : uuid) {
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
            digits += c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
        else if (c != '-')
            return std::string();
        if (digits.size() == 8)
            break;
    }
    if (digits.size() < 8)
        return std::string();
    return digits.substr(0, 4) + ":" + digits.substr(4, 4);
}

struct DriveFactsCache::Pending {
    std::mutex mutex;
    std::condition_variable done;
    bool answered = false;
    bool ready = false;
    std::string label;
};

DriveFactsCache::DriveFactsCache(
    DriveQuestions questions, std::chrono::milliseconds lifetime, std::chrono::milliseconds timeout)
    : m_questions(std::move(questions))
    , m_lifetime(lifetime)
    , m_timeout(timeout)
{
    if (!m_questions.ready)
        m_questions.ready = [](char letter) {
            return DriveTable::instance().isReady(letter) && volumeSpace(hostRootOf(letter)).known;
        };
    if (!m_questions.label)
        m_questions.label = [](char letter) { return volumeNames(hostRootOf(letter)).label; };
    if (!m_questions.remote)
        m_questions.remote = isRemote;
}

DriveFactsCache::~DriveFactsCache() = default;

void DriveFactsCache::clear()
{
    for (auto* kept : { &m_ready, &m_labels })
        for (auto& [letter, entry] : *kept)
            entry.at = Clock::time_point {};
}

void DriveFactsCache::refresh(char letter, bool wantLabel, Kept& kept)
{
    const Clock::time_point now = Clock::now();
    const auto take = [&](bool ready, std::string label) {
        kept.answered = true;
        kept.ready = ready;
        kept.label = std::move(label);
        kept.at = now;
        kept.pending.reset();
    };
    const auto noAnswer = [&] {
        kept.answered = false;
        kept.ready = false;
        kept.label.clear();
        kept.at = now;
    };
    // A question that was late may have come back since: its answer is the
    // newest there is.
    if (const std::shared_ptr<Pending> pending = kept.pending) {
        std::unique_lock lock(pending->mutex);
        if (pending->answered) {
            const bool ready = pending->ready;
            std::string label = std::move(pending->label);
            lock.unlock();
            take(ready, std::move(label));
            return;
        }
    }
    if (kept.at != Clock::time_point {} && now - kept.at < m_lifetime)
        return;
    // Still out: the drive had its wait already.
    if (kept.pending) {
        noAnswer();
        return;
    }
    // A drive still silent on its other question is not asked again.
    const auto& other = wantLabel ? m_ready : m_labels;
    if (const auto it = other.find(letter); it != other.end() && it->second.pending) {
        std::lock_guard lock(it->second.pending->mutex);
        if (!it->second.pending->answered) {
            noAnswer();
            return;
        }
    }
    if (!m_questions.remote(letter)) {
        if (wantLabel)
            take(true, m_questions.label(letter));
        else
            take(m_questions.ready(letter), std::string());
        return;
    }
    auto pending = std::make_shared<Pending>();
    ++m_asked;
    std::thread([pending, letter, wantLabel, ready = m_questions.ready, label = m_questions.label] {
        bool isReady = false;
        std::string text;
        if (wantLabel)
            text = label(letter);
        else
            isReady = ready(letter);
        std::lock_guard lock(pending->mutex);
        pending->ready = isReady;
        pending->label = std::move(text);
        pending->answered = true;
        pending->done.notify_all();
    }).detach();
    std::unique_lock lock(pending->mutex);
    if (pending->done.wait_for(lock, m_timeout, [&] { return pending->answered; })) {
        const bool ready = pending->ready;
        std::string text = std::move(pending->label);
        lock.unlock();
        take(ready, std::move(text));
        return;
    }
    lock.unlock();
    noAnswer();
    kept.pending = std::move(pending);
}

bool DriveFactsCache::ready(char letter)
{
    Kept& kept = m_ready[lowerAscii(letter)];
    refresh(lowerAscii(letter), false, kept);
    return kept.answered && kept.ready;
}

std::optional<std::string> DriveFactsCache::label(char letter)
{
    Kept& kept = m_labels[lowerAscii(letter)];
    refresh(lowerAscii(letter), true, kept);
    if (!kept.answered)
        return std::nullopt;
    return kept.label;
}

} // namespace ov
