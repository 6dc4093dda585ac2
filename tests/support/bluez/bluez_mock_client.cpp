#include "tests/support/bluez/bluez_mock_client.h"

#include "tests/support/bluez/qt_wait.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

namespace vontal::test {

namespace {

const QString kService = QStringLiteral("org.bluez");
const QString kControl = QStringLiteral("org.vontal.BluezMock");

} // namespace

BluezMock::BluezMock(Options options) : options_(std::move(options)) {
    start();
}

BluezMock::~BluezMock() {
    stop();
}

void BluezMock::start() {
    const QString dir = qEnvironmentVariable("VONTAL_TEST_WORKDIR", QDir::tempPath());
    logPath_ = QStringLiteral("%1/bluez-mock-%2.log").arg(dir).arg(++generation_);
    QJsonObject parameters{{QStringLiteral("adapter"), options_.adapter}};
    const QStringList arguments{
        QStringLiteral("--system"),
        QStringLiteral("-t"),
        QStringLiteral(VONTAL_BLUEZ_MOCK_TEMPLATE),
        QStringLiteral("-l"),
        logPath_,
        QStringLiteral("-p"),
        QString::fromUtf8(QJsonDocument(parameters).toJson(QJsonDocument::Compact))};

    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->setStandardOutputFile(QProcess::nullDevice());
    if (options_.fakeBluetoothdVersion.isEmpty()) {
        process_->start(QStringLiteral("/usr/bin/python3"),
                        QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock")} + arguments);
    } else {
        qputenv("VONTAL_FAKE_BLUETOOTHD_VERSION", options_.fakeBluetoothdVersion.toUtf8());
        process_->start(QStringLiteral(VONTAL_FAKE_BLUETOOTHD), arguments);
    }
    ASSERT_TRUE(process_->waitForStarted(5000)) << "the BlueZ mock did not start";
    // Up once it owns org.bluez with the template loaded (the name is taken before loading).
    auto* bus = QDBusConnection::systemBus().interface();
    ASSERT_TRUE(waitUntil(
        [&] {
            if (!bus->isServiceRegistered(kService).value())
                return false;
            QDBusMessage ping = QDBusMessage::createMethodCall(
                kService, QStringLiteral("/"), kControl, QStringLiteral("Operations"));
            return QDBusConnection::systemBus().call(ping).type() == QDBusMessage::ReplyMessage;
        },
        std::chrono::seconds(10)))
        << "the BlueZ mock did not take org.bluez";
    uniqueName_ = bus->serviceOwner(kService).value();
}

void BluezMock::stop() {
    uniqueName_.clear();
    if (!process_)
        return;
    if (process_->state() != QProcess::NotRunning) {
        process_->kill(); // by its pid
        process_->waitForFinished(5000);
    }
    process_.reset();
    // Gone from the bus too, so the client sees bluetoothd leave before anything else happens.
    auto* bus = QDBusConnection::systemBus().interface();
    EXPECT_TRUE(waitUntil([&] { return !bus->isServiceRegistered(kService).value(); },
                          std::chrono::seconds(5)));
}

void BluezMock::restart() {
    stop();
    start();
}

qint64 BluezMock::pid() const {
    return process_ ? process_->processId() : 0;
}

QVariantList BluezMock::call(const QString& method, const QVariantList& arguments) const {
    QDBusMessage message = QDBusMessage::createMethodCall(
        uniqueName_.isEmpty() ? kService : uniqueName_, QStringLiteral("/"), kControl, method);
    message.setArguments(arguments);
    QDBusMessage reply = QDBusConnection::systemBus().call(message);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply.arguments();
}

void BluezMock::addAdapter(const QString& address) {
    call(QStringLiteral("AddAdapter"), {address});
}

void BluezMock::removeAdapter() {
    call(QStringLiteral("RemoveAdapter"), {});
}

QString BluezMock::addDevice(const std::string& address, const QString& name,
                             const QStringList& serviceUuids) {
    auto reply =
        call(QStringLiteral("AddDevice"), {QString::fromStdString(address), name, serviceUuids});
    return reply.isEmpty() ? QString() : reply.first().toString();
}

QString BluezMock::addService(const std::string& address, const QString& uuid) {
    auto reply = call(QStringLiteral("AddGattService"), {QString::fromStdString(address), uuid});
    return reply.isEmpty() ? QString() : reply.first().toString();
}

QString BluezMock::addCharacteristic(const QString& service, const QString& uuid,
                                     const QStringList& flags, const QByteArray& value) {
    auto reply = call(QStringLiteral("AddGattCharacteristic"), {service, uuid, flags, value});
    return reply.isEmpty() ? QString() : reply.first().toString();
}

MockVontalDevice BluezMock::addVontalDevice(const std::string& address, const QString& name,
                                            const QByteArray& password,
                                            const QByteArray& customName,
                                            const QByteArray& dataValue) {
    MockVontalDevice device;
    device.address = address;
    device.path =
        addDevice(address, name, {QStringLiteral("837084C2-C091-41FF-A39F-4C43873CE2D5")});
    device.service = addService(address, QStringLiteral("837084C2-C091-41FF-A39F-4C43873CE2D5"));
    device.password =
        addCharacteristic(device.service, QStringLiteral("B549B710-BFDE-44AB-A496-B8DFA77D606A"),
                          {QStringLiteral("write")});
    device.data =
        addCharacteristic(device.service, QStringLiteral("86EA8D4D-D290-41CB-83EF-172B10165725"),
                          {QStringLiteral("read"), QStringLiteral("write"),
                           QStringLiteral("write-without-response"), QStringLiteral("notify")},
                          dataValue);
    device.deviceName =
        addCharacteristic(device.service, QStringLiteral("5E3C0A0C-9F7B-4BDE-8F62-6E8E0C6E3A01"),
                          {QStringLiteral("read"), QStringLiteral("notify")}, customName);
    setPassword(device.password, password);
    return device;
}

void BluezMock::setPassword(const QString& characteristic, const QByteArray& password) {
    call(QStringLiteral("SetPassword"), {characteristic, password});
}

void BluezMock::refuseWrites(const QString& characteristic, const QString& errorName) {
    call(QStringLiteral("RefuseWrites"), {characteristic, errorName});
}

void BluezMock::notify(const QString& characteristic, const QByteArray& value) {
    call(QStringLiteral("Notify"), {characteristic, value});
}

void BluezMock::setPowered(bool powered) {
    call(QStringLiteral("SetPowered"), {powered});
}

void BluezMock::setSilent(bool silent) {
    call(QStringLiteral("SetSilent"), {silent});
}

void BluezMock::churn(std::chrono::milliseconds period, unsigned times) {
    call(QStringLiteral("Churn"),
         {QVariant::fromValue(static_cast<uint>(period.count())), QVariant::fromValue(times)});
}

bool BluezMock::churning() const {
    const QVariantList reply = call(QStringLiteral("Churning"), {});
    return !reply.isEmpty() && reply.first().toBool();
}

void BluezMock::dropLink(const std::string& address) {
    call(QStringLiteral("DropLink"), {QString::fromStdString(address)});
}

void BluezMock::setMtu(const std::string& address, int mtu) {
    call(QStringLiteral("SetMtu"),
         {QString::fromStdString(address), QVariant::fromValue(static_cast<quint16>(mtu))});
}

void BluezMock::dropLinkOnWrite(const QString& characteristic, bool drops) {
    call(QStringLiteral("DropLinkOnWrite"), {characteristic, drops});
}

void BluezMock::setReachable(const std::string& address, bool reachable) {
    call(QStringLiteral("SetReachable"), {QString::fromStdString(address), reachable});
}

void BluezMock::setRssi(const std::string& address, int rssi) {
    call(QStringLiteral("SetRssi"),
         {QString::fromStdString(address), QVariant::fromValue(static_cast<qint16>(rssi))});
}

std::vector<std::string> BluezMock::advertiseRotating(unsigned count, unsigned keep,
                                                      const QStringList& serviceUuids) {
    const QVariantList reply =
        call(QStringLiteral("AdvertiseRotating"), {count, keep, QVariant(serviceUuids)});
    std::vector<std::string> addresses;
    if (!reply.isEmpty())
        for (const QString& address : reply.first().toStringList())
            addresses.push_back(address.toStdString());
    return addresses;
}

void BluezMock::setWriteDelay(const QString& characteristic, int milliseconds) {
    call(QStringLiteral("SetWriteDelay"),
         {characteristic, QVariant::fromValue(static_cast<quint32>(milliseconds))});
}

MockCommandWrites BluezMock::commandWrites(const std::string& address) const {
    const QVariantList reply =
        call(QStringLiteral("CommandWrites"), {QString::fromStdString(address)});
    if (reply.size() != 3)
        return {};
    const QByteArray last = reply[2].toByteArray();
    return {reply[0].toUInt(), reply[1].toUInt(),
            std::vector<std::uint8_t>(last.begin(), last.end())};
}

QStringList BluezMock::logLines() const {
    QFile log(logPath_);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

std::vector<MockOperation> BluezMock::operations() const {
    std::vector<MockOperation> result;
    const QVariantList reply = call(QStringLiteral("Operations"), {});
    if (reply.isEmpty())
        return result;
    const QDBusArgument argument = reply.first().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString operation, address, uuid, type;
        QByteArray value;
        argument.beginStructure();
        argument >> operation >> address >> uuid >> value >> type;
        argument.endStructure();
        result.push_back({operation.toStdString(), address.toStdString(), uuid.toStdString(),
                          std::vector<std::uint8_t>(value.begin(), value.end()),
                          type.toStdString()});
    }
    argument.endArray();
    return result;
}

void BluezMock::clearOperations() {
    call(QStringLiteral("ClearOperations"), {});
}

std::vector<MockOperation> only(const std::vector<MockOperation>& operations,
                                const std::string& operation, const std::string& address,
                                const std::string& uuid) {
    std::vector<MockOperation> result;
    for (const auto& candidate : operations) {
        if (candidate.operation != operation)
            continue;
        if (!address.empty() && candidate.address != address)
            continue;
        if (!uuid.empty() &&
            QString::fromStdString(candidate.uuid)
                    .compare(QString::fromStdString(uuid), Qt::CaseInsensitive) != 0)
            continue;
        result.push_back(candidate);
    }
    return result;
}

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

} // namespace vontal::test
