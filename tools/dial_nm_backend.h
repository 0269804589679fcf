// The dial backend over NetworkManager on the system bus (D-Bus): the saved
// connections of the dial-up kinds (gsm, cdma, pppoe, bluetooth, adsl) in
// NetworkManager's order are the entries; dialing activates one, hanging up
// deactivates what we activated. Progress comes from the device's
// StateChanged signal as numbers (state and reason), mapped to the dialer's
// states and errors; no command output is parsed.
//
// No secret passes through here: NetworkManager asks its own secret agents,
// and a connection without stored secrets fails with the "no secrets" reason.
#pragma once

#include "tools/dial_backend.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace ov {

// The dialer's state for a device state of NetworkManager, or -1 when the
// device state is not shown (wasActivated: the device reached "activated"
// during this dial).
int dialStateForDevice(unsigned deviceState, bool wasActivated);
// The dialer's error for a device state-change reason.
int dialErrorForReason(unsigned reason);

class NetworkManagerBackend : public DialBackend {
public:
    NetworkManagerBackend();
    ~NetworkManagerBackend() override;

    bool available() override;
    std::vector<std::string> entries() override;
    int dial(const std::string& entry, EventSink sink) override;
    void hangUp() override;

    // Stops following the dial and leaves its connection up (a command-line
    // dial that ends when connected).
    void release();
    // Deactivates the active connections of entry, whoever started them; 0,
    // or the error number (DialError::DeviceError for an unknown entry).
    int hangUpEntry(const std::string& entry);

private:
    class Listener;
    std::unique_ptr<Listener> m_listener;
    std::map<std::string, QString> m_paths; // entry name -> settings object path
    QString m_active; // the active connection we started
    std::vector<QString> m_devices; // the devices whose signals we follow
};

} // namespace ov
