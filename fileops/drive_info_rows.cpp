#include "fileops/drive_info_rows.h"

#include "panel/drive_facts.h"
#include "panel/panel_text.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace ov {

std::string driveRowText(char letter, DriveType type, const std::string& label)
{
    const std::string head = std::string(1, lowerAscii(letter)) + ": ";
    switch (type) {
    case DriveType::Removable:
        return head + "[Removable]";
    case DriveType::Fixed:
        return head + VolumeLabel(lowerAscii(letter), label);
    case DriveType::Remote:
        return head + "[Network]";
    case DriveType::CdRom:
        return head + "[CD-ROM]";
    default:
        return std::string();
    }
}

std::vector<DriveRow> driveRows(const std::function<std::string(char)>& label)
{
    std::vector<DriveRow> rows;
    for (const Drive& drive : DriveTable::instance().drives()) {
        std::string volume;
        if (drive.type == DriveType::Fixed)
            volume = label ? label(drive.letter) : volumeFacts(drive.letter).label;
        std::string text = driveRowText(drive.letter, drive.type, volume);
        if (!text.empty())
            rows.push_back({ drive.letter, drive.type, std::move(text), drive.hostRoot });
    }
    return rows;
}

bool driveReadyWithin(char letter, std::chrono::milliseconds bound, const std::function<bool(char)>& probe)
{
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        bool answered = false;
        bool ready = false;
    };
    auto state = std::make_shared<State>();
    std::function<bool(char)> ask
        = probe ? probe : [](char drive) { return driveReady(drive) && driveSpace(drive).known; };
    // The thread owns its state: a late answer is dropped.
    std::thread([state, ask = std::move(ask), letter] {
        const bool ready = ask(letter);
        std::lock_guard lock(state->mutex);
        state->ready = ready;
        state->answered = true;
        state->done.notify_all();
    }).detach();
    std::unique_lock lock(state->mutex);
    return state->done.wait_for(lock, bound, [&] { return state->answered; }) && state->ready;
}

std::vector<std::pair<std::string, std::string>> systemInfoRows(const SystemFacts& facts,
    int64_t currentDriveTotal, const std::string& video, const std::string& bytesWord)
{
    const std::string memory = formatThousands(facts.memoryBytes / 1024);
    const std::string drive = formatThousands(currentDriveTotal);
    return {
        { "Computer:", facts.computer },
        { "Processor:", facts.processor },
        { "Memory summary:", memory + " Kb" },
        { "Video mode:", video },
        { "Current drive:", drive + " " + bytesWord },
        { "Operation system:", facts.operatingSystem },
        { "Registered on:", facts.registeredOwner },
    };
}

} // namespace ov
