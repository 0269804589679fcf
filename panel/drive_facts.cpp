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

} // namespace ov
