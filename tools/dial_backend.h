// The small RAS-like interface the dialer speaks: the saved dial-up entries,
// dialing one with progress events, hanging up what was dialed, and the
// numbers of the connection states and errors as the dialer shows them.
//
// States: 0 opening port, 2 connecting device, 5 start authenticating,
// 14 authenticated, 8192 connected, 8193 disconnected (the RAS numbers).
// Errors: 629 line dropped by the remote side, 651 other device error,
// 676 line busy, 678 no answer, 680 no dial tone, 691 no stored credentials.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ov {

namespace DialState {
inline constexpr int OpenPort = 0;
inline constexpr int ConnectDevice = 2;
inline constexpr int Authenticate = 5;
inline constexpr int Authenticated = 14;
inline constexpr int Connected = 8192;
inline constexpr int Disconnected = 8193;
} // namespace DialState

namespace DialError {
inline constexpr int PortDisconnected = 629;
inline constexpr int DeviceError = 651;
inline constexpr int LineBusy = 676;
inline constexpr int NoAnswer = 678;
inline constexpr int NoDialTone = 680;
inline constexpr int NoCredentials = 691;
// A service the dialer needs cannot be reached.
inline constexpr int NoService = 711;
} // namespace DialError

// One progress event of a dial: a state, and an error (0 for none).
struct DialEvent {
    int state = 0;
    int error = 0;
};

class DialBackend {
public:
    // Receives the events of one dial, in order, on any thread.
    using EventSink = std::function<void(const DialEvent&)>;

    virtual ~DialBackend() = default;
    // false when the service behind the dialer cannot be reached.
    virtual bool available() = 0;
    // The entries in the service's order; empty when unavailable.
    virtual std::vector<std::string> entries() = 0;
    // Starts dialing entry; 0 when started, else an error number. Events of
    // this dial go to sink until hangUp returns.
    virtual int dial(const std::string& entry, EventSink sink) = 0;
    // Hangs up what this backend dialed, if anything; afterwards the sink of
    // that dial is called no more.
    virtual void hangUp() = 0;
};

} // namespace ov
