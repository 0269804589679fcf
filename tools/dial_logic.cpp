#include "tools/dial_logic.h"

namespace ov {

TDialerLogic::TDialerLogic(TDialUp& dialer)
    : m_dialer(dialer)
{
    m_dialer.OnAsyncEvent
        = [this](TDialUp&, int state, const std::string& text, int error) { Progress(state, text, error); };
}

void TDialerLogic::Start()
{
    Rows.clear();
    Selected = -1;
    if (m_dialer.GetEntries() != 0) {
        AddLog(NoServiceText);
        return;
    }
    for (const std::string& entry : m_dialer.Entries)
        Rows.push_back({ entry, false });
    Index = -1;
    SearchStart = 0;
    SearchDone = false;
    Redials = 0;
}

int TDialerLogic::nextChecked(int from) const
{
    const int count = static_cast<int>(Rows.size());
    if (count == 0)
        return -1;
    // An index beyond a re-read list starts again at 0.
    if (from >= count)
        from = -1;
    for (int step = 1; step <= count; ++step) {
        const int at = ((from + step) % count + count) % count;
        if (Rows[static_cast<std::size_t>(at)].checked)
            return at;
    }
    return -1;
}

void TDialerLogic::Call()
{
    if (Closed)
        return;
    bool anyChecked = false;
    for (const Row& row : Rows)
        anyChecked = anyChecked || row.checked;
    if (anyChecked) {
        if (SearchDone)
            return;
        SearchStart = Index;
        const int found = nextChecked(Index);
        if (found < 0)
            return;
        Index = found;
        Countdown = 0;
        SearchDone = true;
        TimerRunning = true;
        return;
    }
    if (Selected >= 0 && Selected < static_cast<int>(Rows.size()))
        dialSelected(Rows[static_cast<std::size_t>(Selected)].name);
}

void TDialerLogic::dialSelected(const std::string& entry)
{
    m_dialer.Entry = entry;
    Caption = "Dial to <" + entry + ">";
    m_dialer.Dial();
}

void TDialerLogic::Tick()
{
    if (!TimerRunning || Closed)
        return;
    if (Index < 0 || Index >= static_cast<int>(Rows.size())) {
        TimerRunning = false;
        SearchDone = false;
        return;
    }
    const std::string& entry = Rows[static_cast<std::size_t>(Index)].name;
    --Countdown;
    if (Countdown >= 0)
        Caption = "Wait " + std::to_string(Countdown) + " secund for <" + entry + ">";
    if (Countdown < 1) {
        Selected = Index;
        SearchDone = false;
        TimerRunning = false;
        dialSelected(entry);
    }
}

void TDialerLogic::HangUp()
{
    m_dialer.HangUp();
    TimerRunning = false;
    SearchDone = false;
    Caption = "Inet Dialer";
}

void TDialerLogic::Close()
{
    Closed = true;
    TimerRunning = false;
    SearchDone = false;
}

void TDialerLogic::AddLog(const std::string& line)
{
    Log.push_back(line);
    if (Log.size() > MaxLogLines) {
        ClearLog();
        return;
    }
    if (OnLogLine)
        OnLogLine(line);
}

void TDialerLogic::ClearLog()
{
    Log.clear();
    if (OnLogCleared)
        OnLogCleared();
}

void TDialerLogic::Progress(int state, const std::string& text, int error)
{
    const std::string& entry = m_dialer.Entry;
    std::string line = text;
    if (error == 0 && state == DialState::ConnectDevice)
        line = text + " <" + entry + ">";
    if (error == 0 && state == DialState::Connected) {
        line = "The connection is established <" + entry + ">";
        Caption = "Connected <" + entry + ">";
    }
    AddLog(line);
    if (Closed)
        return;
    if ((CloseOnConnect && error == 0 && state == DialState::Connected)
        || (CloseOnBusy && error == DialError::LineBusy)) {
        Close();
        if (OnClose)
            OnClose();
        return;
    }
    const bool redialError
        = error == DialError::PortDisconnected || error == DialError::LineBusy || error == 736;
    if (!redialError || !Redial)
        return;
    const int found = nextChecked(Index < 0 ? 0 : Index);
    if (found < 0)
        return;
    ++Redials;
    Index = found;
    Selected = found;
    Countdown = RedialTime;
    SearchDone = true;
    TimerRunning = true;
}

} // namespace ov
