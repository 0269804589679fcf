#include "tools/dial_nm_backend.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace ov {

namespace {

const QString service = QStringLiteral("org.freedesktop.NetworkManager");
const QString managerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString managerInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString settingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString settingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString connectionInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString activeInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString deviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// NetworkManager's device states (NMDeviceState).
enum : unsigned {
    DeviceDisconnected = 30,
    DevicePrepare = 40,
    DeviceConfig = 50,
    DeviceNeedAuth = 60,
    DeviceIpConfig = 70,
    DeviceActivated = 100,
    DeviceFailed = 120,
};

// Its device state-change reasons (NMDeviceStateReason).
enum : unsigned {
    ReasonNoSecrets = 7,
    ReasonPppDisconnect = 13,
    ReasonModemBusy = 23,
    ReasonModemNoDialTone = 24,
    ReasonModemNoCarrier = 25,
    ReasonModemDialTimeout = 26,
};

QDBusConnection bus()
{
    return QDBusConnection::systemBus();
}

QDBusMessage call(const QString& path, const QString& interface, const QString& method,
    const QList<QVariant>& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return bus().call(message, QDBus::Block, 10000);
}

// The connection's id and type from GetSettings' a{sa{sv}}.
bool readIdAndType(const QDBusMessage& reply, QString& id, QString& type)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    const QVariant first = reply.arguments().at(0);
    if (!first.canConvert<QDBusArgument>())
        return false;
    const QDBusArgument argument = first.value<QDBusArgument>();
    if (argument.currentType() != QDBusArgument::MapType)
        return false;
    argument.beginMap();
    while (!argument.atEnd()) {
        QString group;
        QVariantMap values;
        argument.beginMapEntry();
        argument >> group >> values;
        argument.endMapEntry();
        if (group == QLatin1String("connection")) {
            id = values.value(QStringLiteral("id")).toString();
            type = values.value(QStringLiteral("type")).toString();
        }
    }
    argument.endMap();
    return !id.isEmpty();
}

bool isDialUpType(const QString& type)
{
    for (const char* kind : { "gsm", "cdma", "pppoe", "bluetooth", "adsl" })
        if (type == QLatin1String(kind))
            return true;
    return false;
}

} // namespace

int dialStateForDevice(unsigned deviceState, bool wasActivated)
{
    switch (deviceState) {
    case DevicePrepare:
        return DialState::OpenPort;
    case DeviceConfig:
        return DialState::ConnectDevice;
    case DeviceNeedAuth:
        return DialState::Authenticate;
    case DeviceIpConfig:
        return DialState::Authenticated;
    case DeviceActivated:
        return DialState::Connected;
    case DeviceDisconnected:
        return wasActivated ? DialState::Disconnected : -1;
    default:
        return -1;
    }
}

int dialErrorForReason(unsigned reason)
{
    switch (reason) {
    case ReasonModemBusy:
        return DialError::LineBusy;
    case ReasonModemNoDialTone:
        return DialError::NoDialTone;
    case ReasonModemDialTimeout:
        return DialError::NoAnswer;
    case ReasonModemNoCarrier:
    case ReasonPppDisconnect:
        return DialError::PortDisconnected;
    case ReasonNoSecrets:
        return DialError::NoCredentials;
    default:
        return DialError::DeviceError;
    }
}

// Receives the StateChanged signals of the devices of one dial.
class NetworkManagerBackend::Listener : public QObject {
    Q_OBJECT
public:
    EventSink sink;
    bool activated = false;
    int lastState = DialState::OpenPort;

public slots:
    void deviceStateChanged(uint newState, uint oldState, uint reason)
    {
        (void)oldState;
        if (!sink)
            return;
        if (newState == DeviceFailed) {
            sink({ lastState, dialErrorForReason(reason) });
            return;
        }
        if (newState == DeviceDisconnected && activated) {
            activated = false;
            const bool dropped = reason == ReasonPppDisconnect || reason == ReasonModemNoCarrier;
            sink({ DialState::Disconnected, dropped ? DialError::PortDisconnected : 0 });
            return;
        }
        const int state = dialStateForDevice(newState, activated);
        if (state < 0)
            return;
        lastState = state;
        activated = activated || newState == DeviceActivated;
        sink({ state, 0 });
    }
};

NetworkManagerBackend::NetworkManagerBackend()
    : m_listener(std::make_unique<Listener>())
{
}

NetworkManagerBackend::~NetworkManagerBackend()
{
    hangUp();
}

bool NetworkManagerBackend::available()
{
    if (!bus().isConnected() || !bus().interface())
        return false;
    return bus().interface()->isServiceRegistered(service).value();
}

std::vector<std::string> NetworkManagerBackend::entries()
{
    std::vector<std::string> names;
    m_paths.clear();
    if (!available())
        return names;
    const QDBusMessage reply = call(settingsPath, settingsInterface, QStringLiteral("ListConnections"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return names;
    const QList<QDBusObjectPath> paths = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().at(0));
    for (const QDBusObjectPath& path : paths) {
        QString id, type;
        if (!readIdAndType(call(path.path(), connectionInterface, QStringLiteral("GetSettings")), id, type))
            continue;
        if (!isDialUpType(type))
            continue;
        const std::string name = id.toStdString();
        if (m_paths.emplace(name, path.path()).second)
            names.push_back(name);
    }
    return names;
}

int NetworkManagerBackend::dial(const std::string& entry, EventSink sink)
{
    hangUp();
    if (!available())
        return DialError::NoService;
    if (!m_paths.count(entry))
        entries();
    const auto found = m_paths.find(entry);
    if (found == m_paths.end())
        return DialError::DeviceError;
    const QDBusMessage reply = call(managerPath, managerInterface, QStringLiteral("ActivateConnection"),
        { QVariant::fromValue(QDBusObjectPath(found->second)), QVariant::fromValue(QDBusObjectPath("/")),
            QVariant::fromValue(QDBusObjectPath("/")) });
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return DialError::DeviceError;
    m_active = reply.arguments().at(0).value<QDBusObjectPath>().path();
    m_listener->sink = std::move(sink);
    m_listener->activated = false;
    m_listener->lastState = DialState::OpenPort;
    // Follow the devices the activation uses.
    const QDBusMessage devices = bus().call(
        [this] {
            QDBusMessage message = QDBusMessage::createMethodCall(
                service, m_active, propertiesInterface, QStringLiteral("Get"));
            message.setArguments({ activeInterface, QStringLiteral("Devices") });
            return message;
        }(),
        QDBus::Block, 10000);
    if (devices.type() == QDBusMessage::ReplyMessage && !devices.arguments().isEmpty()) {
        const QVariant value = devices.arguments().at(0).value<QDBusVariant>().variant();
        for (const QDBusObjectPath& device : qdbus_cast<QList<QDBusObjectPath>>(value))
            if (bus().connect(service, device.path(), deviceInterface, QStringLiteral("StateChanged"),
                    m_listener.get(), SLOT(deviceStateChanged(uint, uint, uint))))
                m_devices.push_back(device.path());
    }
    return 0;
}

void NetworkManagerBackend::release()
{
    m_listener->sink = nullptr;
    for (const QString& device : m_devices)
        bus().disconnect(service, device, deviceInterface, QStringLiteral("StateChanged"), m_listener.get(),
            SLOT(deviceStateChanged(uint, uint, uint)));
    m_devices.clear();
    m_active.clear();
}

int NetworkManagerBackend::hangUpEntry(const std::string& entry)
{
    if (!available())
        return DialError::NoService;
    if (!m_paths.count(entry))
        entries();
    const auto found = m_paths.find(entry);
    if (found == m_paths.end())
        return DialError::DeviceError;
    const auto property = [](const QString& path, const QString& interface, const QString& name) {
        const QDBusMessage reply
            = call(path, propertiesInterface, QStringLiteral("Get"), { interface, name });
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return QVariant();
        return reply.arguments().at(0).value<QDBusVariant>().variant();
    };
    const QVariant active = property(managerPath, managerInterface, QStringLiteral("ActiveConnections"));
    for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(active)) {
        const QVariant settings = property(path.path(), activeInterface, QStringLiteral("Connection"));
        if (settings.value<QDBusObjectPath>().path() != found->second)
            continue;
        const QDBusMessage reply = call(managerPath, managerInterface, QStringLiteral("DeactivateConnection"),
            { QVariant::fromValue(path) });
        if (reply.type() != QDBusMessage::ReplyMessage)
            return DialError::DeviceError;
    }
    return 0;
}

void NetworkManagerBackend::hangUp()
{
    m_listener->sink = nullptr;
    for (const QString& device : m_devices)
        bus().disconnect(service, device, deviceInterface, QStringLiteral("StateChanged"), m_listener.get(),
            SLOT(deviceStateChanged(uint, uint, uint)));
    m_devices.clear();
    if (m_active.isEmpty())
        return;
    call(managerPath, managerInterface, QStringLiteral("DeactivateConnection"),
        { QVariant::fromValue(QDBusObjectPath(m_active)) });
    m_active.clear();
}

} // namespace ov

#include "dial_nm_backend.moc"
