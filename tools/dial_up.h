// TDialUp: the dialer component over a DialBackend. It lists the entries,
// dials Entry and hangs up, and hands every progress event of a dial to the
// thread that made it, in order, through Qt's queued calls (the backend may
// report from any thread). No password passes through it: credentials stay
// in the service's own store.
#pragma once

#include "tools/dial_backend.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ov {

class TDialUp {
public:
    // backend must outlive the component.
    explicit TDialUp(DialBackend& backend);
    ~TDialUp();
    TDialUp(const TDialUp&) = delete;
    TDialUp& operator=(const TDialUp&) = delete;

    std::vector<std::string> Entries;
    std::string Entry;

    std::function<void(TDialUp& sender, const std::string& entry)> OnEntryGet;
    std::function<void(TDialUp& sender)> OnDialing;
    // state, the text for it (the error's text when error is not 0), error.
    std::function<void(TDialUp& sender, int state, const std::string& text, int error)> OnAsyncEvent;
    std::function<void(TDialUp& sender, int error, const std::string& message)> OnError;
    // The text of an error number; the window sets it from its language.
    std::function<std::string(int error)> ErrorText;

    // Re-reads Entries (firing OnEntryGet for each); 0, or DialError::NoService
    // when the service cannot be reached (Entries is then empty).
    int GetEntries();
    // Hangs up the previous dial, then dials Entry: OnDialing, and OnError
    // when the dial could not start. The result is 0 or the error number.
    int Dial();
    // Hangs up what the component dialed; events of that dial still queued
    // are dropped.
    void HangUp();

    // The text of a connection state ("" for an unknown one).
    static std::string StateText(int state);
    // Our English text of an error number.
    static std::string DefaultErrorText(int error);

private:
    std::string errorText(int error) const;
    void deliver(unsigned dial, const DialEvent& event);

    DialBackend& m_backend;
    // Queued calls run on the thread of this object; destroying it drops
    // those still waiting.
    std::unique_ptr<QObject> m_receiver;
    // Numbers the dials, so that events of a dial hung up are dropped.
    unsigned m_dial = 0;
};

} // namespace ov
