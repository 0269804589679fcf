#include "tools/dial_up.h"

#include <QMetaObject>

#include <utility>

namespace ov {

TDialUp::TDialUp(DialBackend& backend)
    : m_backend(backend)
    , m_receiver(std::make_unique<QObject>())
{
}

TDialUp::~TDialUp()
{
    // After the backend's hang-up no event arrives; the queued ones die with
    // the receiver.
    m_backend.hangUp();
}

std::string TDialUp::StateText(int state)
{
    switch (state) {
    case 0:
        return "Opening port";
    case 1:
        return "Port opened";
    case 2:
        return "Connecting device";
    case 3:
        return "Device connected";
    case 4:
        return "All devices connected";
    case 5:
        return "Start authenticating";
    case 6:
        return "Authentication: notify";
    case 7:
        return "Authentication: retry";
    case 8:
        return "Authentication: callback";
    case 9:
        return "Authentication: change password";
    case 10:
        return "Authentication: projecting";
    case 11:
        return "Authentication: link speed";
    case 12:
        return "Authentication: acknowledge";
    case 13:
        return "Authentication: reauthenticate";
    case 14:
        return "Authenticated";
    case 15:
        return "Preparing for callback";
    case 16:
        return "Waiting for modem reset";
    case 17:
        return "Waiting for callback";
    case 18:
        return "Projected";
    case 19:
        return "Start authentication";
    case 20:
        return "Callback complete";
    case 21:
        return "Logging on network";
    case 4096:
        return "Interactive";
    case 4097:
        return "Retry Authentication";
    case 4098:
        return "Callback set by caller";
    case 4099:
        return "Password expired";
    case 8192:
        return "Connected";
    case 8193:
        return "Disconnected";
    default:
        return "";
    }
}

std::string TDialUp::DefaultErrorText(int error)
{
    switch (error) {
    case DialError::PortDisconnected:
        return "The line was disconnected by the remote side.";
    case DialError::LineBusy:
        return "The line is busy.";
    case DialError::NoAnswer:
        return "There was no answer.";
    case DialError::NoDialTone:
        return "There is no dial tone.";
    case DialError::NoCredentials:
        return "No user name or password is stored for this connection: enter them in the connection's "
               "settings.";
    case DialError::NoService:
        return "NetworkManager is not running.";
    default:
        return "The device reported an error (" + std::to_string(error) + ").";
    }
}

std::string TDialUp::errorText(int error) const
{
    return ErrorText ? ErrorText(error) : DefaultErrorText(error);
}

int TDialUp::GetEntries()
{
    Entries.clear();
    if (!m_backend.available())
        return DialError::NoService;
    Entries = m_backend.entries();
    for (const std::string& entry : Entries)
        if (OnEntryGet)
            OnEntryGet(*this, entry);
    return 0;
}

int TDialUp::Dial()
{
    HangUp();
    const unsigned dial = ++m_dial;
    if (OnDialing)
        OnDialing(*this);
    QObject* receiver = m_receiver.get();
    const int result = m_backend.dial(Entry, [this, receiver, dial](const DialEvent& event) {
        // Runs on the backend's thread: only queue the event.
        QMetaObject::invokeMethod(
            receiver, [this, dial, event] { deliver(dial, event); }, Qt::QueuedConnection);
    });
    if (result != 0 && OnError)
        OnError(*this, result, errorText(result));
    return result;
}

void TDialUp::HangUp()
{
    m_backend.hangUp();
    ++m_dial;
}

void TDialUp::deliver(unsigned dial, const DialEvent& event)
{
    if (dial != m_dial)
        return;
    if (OnAsyncEvent)
        OnAsyncEvent(*this, event.state, event.error != 0 ? errorText(event.error) : StateText(event.state),
            event.error);
}

} // namespace ov
