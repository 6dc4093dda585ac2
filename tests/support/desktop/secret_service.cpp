#include "tests/support/desktop/secret_service.h"

#include "tests/support/bluez/qt_wait.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcessEnvironment>
#include <csignal>
#include <stdexcept>
#include <sys/prctl.h>

namespace vontal::testing {

namespace {

using namespace std::chrono_literals;

const QString kSecrets = QStringLiteral("org.freedesktop.secrets");
const QString kServicePath = QStringLiteral("/org/freedesktop/secrets");
const QString kServiceInterface = QStringLiteral("org.freedesktop.Secret.Service");
const QString kItemInterface = QStringLiteral("org.freedesktop.Secret.Item");
const QByteArray kLoginPassword = "keyring-of-the-test";

QString pathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

QList<QDBusObjectPath> pathsIn(const QVariant& argument) {
    return qdbus_cast<QList<QDBusObjectPath>>(argument);
}

} // namespace

SecretServiceDaemon::SecretServiceDaemon(const std::filesystem::path& home,
                                         const std::filesystem::path& dataHome,
                                         const std::filesystem::path& runtimeDir,
                                         const std::string& busAddress)
    : busAddress_(busAddress) {
    qDBusRegisterMetaType<QMap<QString, QString>>();
    static int daemons = 0;
    connectionName_ = QStringLiteral("secret-service-reader-%1").arg(++daemons);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QString::fromStdString(busAddress));
    environment.insert(QStringLiteral("HOME"), pathText(home));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), pathText(dataHome));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), pathText(runtimeDir));
    daemon_.setProcessEnvironment(environment);
    daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Gone with the test process even if it dies before stopping the daemon.
    daemon_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    // --unlock reads the login keyring's password from standard input, creating the keyring
    // the first time.
    daemon_.start(QStringLiteral("gnome-keyring-daemon"),
                  {QStringLiteral("--foreground"), QStringLiteral("--components=secrets"),
                   QStringLiteral("--unlock")});
    if (!daemon_.waitForStarted(10000))
        throw std::runtime_error("gnome-keyring-daemon did not start");
    daemon_.write(kLoginPassword);
    daemon_.closeWriteChannel();
    if (!test::waitUntil([&] { return onTheBus(); }, 20s)) {
        daemon_.kill();
        daemon_.waitForFinished(5000);
        throw std::runtime_error("gnome-keyring-daemon did not take org.freedesktop.secrets");
    }
}

SecretServiceDaemon::~SecretServiceDaemon() {
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate(); // by its pid
        if (!daemon_.waitForFinished(5000)) {
            daemon_.kill();
            daemon_.waitForFinished(5000);
        }
    }
    if (bus_) {
        bus_.reset();
        QDBusConnection::disconnectFromBus(connectionName_);
    }
}

QDBusConnection& SecretServiceDaemon::bus() {
    if (!bus_)
        bus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QString::fromStdString(busAddress_), connectionName_));
    return *bus_;
}

bool SecretServiceDaemon::onTheBus() {
    return bus().interface()->isServiceRegistered(kSecrets).value();
}

std::optional<std::vector<SecretServiceDaemon::Item>> SecretServiceDaemon::vontalItems() {
    // A plain session: the secrets come back as they are.
    QDBusMessage open = QDBusMessage::createMethodCall(kSecrets, kServicePath, kServiceInterface,
                                                       QStringLiteral("OpenSession"));
    open << QStringLiteral("plain") << QVariant::fromValue(QDBusVariant(QString()));
    const QDBusMessage opened = bus().call(open, QDBus::Block, 10000);
    if (opened.type() != QDBusMessage::ReplyMessage || opened.arguments().size() != 2)
        return std::nullopt;
    const QDBusObjectPath session = opened.arguments().at(1).value<QDBusObjectPath>();

    QDBusMessage search = QDBusMessage::createMethodCall(kSecrets, kServicePath, kServiceInterface,
                                                         QStringLiteral("SearchItems"));
    search << QVariant::fromValue(QMap<QString, QString>{{"service", "vontal"}});
    const QDBusMessage found = bus().call(search, QDBus::Block, 10000);
    if (found.type() != QDBusMessage::ReplyMessage || found.arguments().size() != 2)
        return std::nullopt;
    const QList<QDBusObjectPath> unlocked = pathsIn(found.arguments().at(0));

    QDBusMessage get = QDBusMessage::createMethodCall(kSecrets, kServicePath, kServiceInterface,
                                                      QStringLiteral("GetSecrets"));
    get << QVariant::fromValue(unlocked) << QVariant::fromValue(session);
    const QDBusMessage secrets = bus().call(get, QDBus::Block, 10000);
    if (secrets.type() != QDBusMessage::ReplyMessage || secrets.arguments().size() != 1)
        return std::nullopt;
    // a{o(oayays)}: item → (session, parameters, value, content type)
    QMap<QString, QByteArray> values;
    const QDBusArgument map = secrets.arguments().at(0).value<QDBusArgument>();
    map.beginMap();
    while (!map.atEnd()) {
        QDBusObjectPath item, secretSession;
        QByteArray parameters, value;
        QString contentType;
        map.beginMapEntry();
        map >> item;
        map.beginStructure();
        map >> secretSession >> parameters >> value >> contentType;
        map.endStructure();
        map.endMapEntry();
        values.insert(item.path(), value);
    }
    map.endMap();

    std::vector<Item> items;
    for (const QDBusObjectPath& path : unlocked) {
        Item item;
        item.path = path.path();
        item.secret = values.value(item.path);
        const auto property = [&](const QString& name) {
            QDBusMessage message = QDBusMessage::createMethodCall(
                kSecrets, item.path, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("Get"));
            message << kItemInterface << name;
            const QDBusMessage reply = bus().call(message, QDBus::Block, 10000);
            return reply.arguments().value(0).value<QDBusVariant>().variant();
        };
        item.label = property(QStringLiteral("Label")).toString();
        const QVariant attributes = property(QStringLiteral("Attributes"));
        item.attributes = qdbus_cast<QMap<QString, QString>>(attributes);
        items.push_back(std::move(item));
    }

    QDBusMessage close = QDBusMessage::createMethodCall(
        kSecrets, session.path(), QStringLiteral("org.freedesktop.Secret.Session"),
        QStringLiteral("Close"));
    bus().call(close, QDBus::Block, 10000);
    return items;
}

std::optional<SecretServiceDaemon::Item>
SecretServiceDaemon::itemFor(const std::string& identifier) {
    const auto items = vontalItems();
    if (!items)
        return std::nullopt;
    for (const Item& item : *items)
        if (item.attributes.value(QStringLiteral("device")) == QString::fromStdString(identifier))
            return item;
    return std::nullopt;
}

bool SecretServiceDaemon::lockDefaultCollection() {
    QDBusMessage alias = QDBusMessage::createMethodCall(kSecrets, kServicePath, kServiceInterface,
                                                        QStringLiteral("ReadAlias"));
    alias << QStringLiteral("default");
    const QDBusMessage collection = bus().call(alias, QDBus::Block, 10000);
    if (collection.type() != QDBusMessage::ReplyMessage)
        return false;
    const QDBusObjectPath path = collection.arguments().value(0).value<QDBusObjectPath>();
    QDBusMessage lock = QDBusMessage::createMethodCall(kSecrets, kServicePath, kServiceInterface,
                                                       QStringLiteral("Lock"));
    lock << QVariant::fromValue(QList<QDBusObjectPath>{path});
    const QDBusMessage locked = bus().call(lock, QDBus::Block, 10000);
    return locked.type() == QDBusMessage::ReplyMessage &&
           pathsIn(locked.arguments().value(0)).contains(path);
}

} // namespace vontal::testing
