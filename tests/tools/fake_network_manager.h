// A private bus and a fake NetworkManager on it, for the dialer's backend.
//
// PrivateBus starts dbus-daemon with the session configuration on a socket
// in a temporary folder and points DBUS_SYSTEM_BUS_ADDRESS at it (before
// anything in the process opens the system bus). FakeNetworkManager serves
// the calls the backend makes from a thread of its own: ListConnections,
// GetSettings, ActivateConnection, DeactivateConnection and the active
// connection's Devices property; after an activation it plays the scripted
// StateChanged signals of device 1.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QThread>
#include <QTimer>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace ov::test {

class PrivateBus {
public:
    // Empty address when dbus-daemon could not start.
    PrivateBus()
    {
        m_daemon.setProgram(QStringLiteral("dbus-daemon"));
        m_daemon.setArguments({ QStringLiteral("--session"), QStringLiteral("--nofork"),
            QStringLiteral("--print-address=1"), QStringLiteral("--address=unix:tmpdir=/tmp") });
        m_daemon.start();
        if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(5000))
            return;
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    }
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
    QString address;

private:
    QProcess m_daemon;
};

struct FakeConnection {
    QString id;
    QString type;
    // StateChanged signals (new state, reason) played after activation.
    std::vector<std::pair<unsigned, unsigned>> states;
};

class FakeNetworkManager : public QDBusVirtualObject {
public:
    static constexpr const char* Service = "org.freedesktop.NetworkManager";

    FakeNetworkManager(QString address, std::vector<FakeConnection> connections)
        : m_address(std::move(address))
        , m_connections(std::move(connections))
    {
        moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(
            this, [this] { registerOnBus(); }, Qt::BlockingQueuedConnection);
    }
    ~FakeNetworkManager() override
    {
        QMetaObject::invokeMethod(
            this,
            [this] {
                QDBusConnection bus(QStringLiteral("fake_nm"));
                bus.unregisterService(QLatin1String(Service));
                QDBusConnection::disconnectFromBus(QStringLiteral("fake_nm"));
            },
            Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    // "activate <id>" and "deactivate", in order.
    std::vector<std::string> calls()
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

    // Every method called, in order.
    std::vector<std::string> members()
    {
        std::lock_guard lock(m_mutex);
        return m_members;
    }

    QString introspect(const QString&) const override { return QString(); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        const QString member = message.member();
        const QString path = message.path();
        {
            std::lock_guard lock(m_mutex);
            m_members.push_back(member.toStdString());
        }
        if (member == QLatin1String("ListConnections")) {
            QList<QDBusObjectPath> paths;
            for (std::size_t i = 0; i < m_connections.size(); ++i)
                paths.append(QDBusObjectPath(settingsPath(i)));
            return connection.send(message.createReply(QVariant::fromValue(paths)));
        }
        if (member == QLatin1String("GetSettings")) {
            for (std::size_t i = 0; i < m_connections.size(); ++i) {
                if (path != settingsPath(i))
                    continue;
                QDBusArgument settings;
                settings.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QVariantMap>());
                settings.beginMapEntry();
                settings << QStringLiteral("connection")
                         << QVariantMap { { QStringLiteral("id"), m_connections[i].id },
                                { QStringLiteral("type"), m_connections[i].type } };
                settings.endMapEntry();
                settings.endMap();
                return connection.send(message.createReply(QVariant::fromValue(settings)));
            }
            return connection.send(message.createErrorReply(QDBusError::UnknownObject, path));
        }
        if (member == QLatin1String("ActivateConnection")) {
            const QString settings = message.arguments().at(0).value<QDBusObjectPath>().path();
            for (std::size_t i = 0; i < m_connections.size(); ++i) {
                if (settings != settingsPath(i))
                    continue;
                {
                    std::lock_guard lock(m_mutex);
                    m_calls.push_back("activate " + m_connections[i].id.toStdString());
                    m_activeSettings = settings;
                }
                connection.send(message.createReply(QVariant::fromValue(
                    QDBusObjectPath(QStringLiteral("/org/freedesktop/NetworkManager/ActiveConnection/1")))));
                // Give the caller time to subscribe, then play the signals.
                const auto states = m_connections[i].states;
                QTimer::singleShot(300, this, [states] {
                    QDBusConnection bus(QStringLiteral("fake_nm"));
                    unsigned old = 30;
                    for (const auto& [state, reason] : states) {
                        QDBusMessage signal = QDBusMessage::createSignal(
                            QStringLiteral("/org/freedesktop/NetworkManager/Devices/1"),
                            QStringLiteral("org.freedesktop.NetworkManager.Device"),
                            QStringLiteral("StateChanged"));
                        signal << state << old << reason;
                        bus.send(signal);
                        old = state;
                    }
                });
                return true;
            }
            return connection.send(message.createErrorReply(QDBusError::UnknownObject, settings));
        }
        if (member == QLatin1String("DeactivateConnection")) {
            std::lock_guard lock(m_mutex);
            m_calls.push_back("deactivate");
            m_activeSettings.clear();
            return connection.send(message.createReply());
        }
        if (member == QLatin1String("Get")) {
            const QString name = message.arguments().value(1).toString();
            QVariant value;
            std::lock_guard lock(m_mutex);
            if (name == QLatin1String("Devices")) {
                value = QVariant::fromValue(QList<QDBusObjectPath> {
                    QDBusObjectPath(QStringLiteral("/org/freedesktop/NetworkManager/Devices/1")) });
            } else if (name == QLatin1String("ActiveConnections")) {
                QList<QDBusObjectPath> paths;
                if (!m_activeSettings.isEmpty())
                    paths.append(QDBusObjectPath(activePath()));
                value = QVariant::fromValue(paths);
            } else if (name == QLatin1String("Connection")) {
                value = QVariant::fromValue(
                    QDBusObjectPath(m_activeSettings.isEmpty() ? QStringLiteral("/") : m_activeSettings));
            } else {
                return connection.send(message.createErrorReply(QDBusError::InvalidArgs, name));
            }
            return connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
        }
        return false;
    }

private:
    static QString activePath()
    {
        return QStringLiteral("/org/freedesktop/NetworkManager/ActiveConnection/1");
    }
    static QString settingsPath(std::size_t index)
    {
        return QStringLiteral("/org/freedesktop/NetworkManager/Settings/%1").arg(index + 1);
    }

    void registerOnBus()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("fake_nm"));
        bus.registerVirtualObject(
            QStringLiteral("/org/freedesktop/NetworkManager"), this, QDBusConnection::SubPath);
        bus.registerService(QLatin1String(Service));
    }

    QThread m_thread;
    QString m_address;
    std::vector<FakeConnection> m_connections;
    std::mutex m_mutex;
    std::vector<std::string> m_calls;
    QString m_activeSettings; // the settings path of the one active connection
    std::vector<std::string> m_members;
};

} // namespace ov::test
