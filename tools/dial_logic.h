// The dialer window's logic without the window: the entry list with its
// checks and selection, the round-robin search over the checked entries,
// the countdown to a scheduled dial (one Tick per second, called by the
// window's timer or a test), the progress log with its cap, the captions,
// the options and the redial after a busy or dropped line.
//
// The round-robin search looks at every entry once, the start entry last,
// so a single checked entry redials itself. Once the window is closed no
// redial is scheduled and the countdown stays stopped; hanging up also
// stops a scheduled countdown. Nothing is started when a connection is made.
#pragma once

#include "tools/dial_up.h"

#include <functional>
#include <string>
#include <vector>

namespace ov {

class TDialerLogic {
public:
    static constexpr int MaxLogLines = 10000;

    struct Row {
        std::string name;
        bool checked = false;
    };

    // dialer must outlive the logic; its OnAsyncEvent is taken over.
    explicit TDialerLogic(TDialUp& dialer);

    std::vector<Row> Rows;
    // The selected row, -1 for none.
    int Selected = -1;
    std::vector<std::string> Log;
    std::string Caption;
    // The round-robin state.
    int Index = -1;
    int SearchStart = 0;
    int Countdown = 0;
    bool SearchDone = false;
    int Redials = 0;
    bool TimerRunning = false;
    bool Closed = false;
    // Options.
    bool Redial = true;
    bool CloseOnConnect = false;
    bool CloseOnBusy = false;
    int RedialTime = 10;

    // The window must close (close-if-connected, close-if-busy).
    std::function<void()> OnClose;
    // A line was added to the log, or the log was cleared.
    std::function<void(const std::string& line)> OnLogLine;
    std::function<void()> OnLogCleared;
    // The log line for a missing service.
    std::string NoServiceText = "NetworkManager is not running.";

    // Reads the entries into Rows (unchecked, none selected); without the
    // service the list is empty and the log says so.
    void Start();
    void Call();
    // One second of the countdown.
    void Tick();
    void HangUp();
    // The window closes: the countdown stops and nothing is scheduled again.
    void Close();
    // A progress event, as TDialUp delivers it.
    void Progress(int state, const std::string& text, int error);
    // Appends a log line; more than MaxLogLines clears the log.
    void AddLog(const std::string& line);
    void ClearLog();

private:
    // Looks at every entry once after from, from itself last; the index of
    // the first checked one, or -1.
    int nextChecked(int from) const;
    void dialSelected(const std::string& entry);

    TDialUp& m_dialer;
};

} // namespace ov
