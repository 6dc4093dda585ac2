#include "sim_record.h"

#include <ostream>

namespace vontal {
namespace {

void printBytes(std::ostream& out, const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out << '[';
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out << (i ? " " : "") << kDigits[bytes[i] >> 4] << kDigits[bytes[i] & 0x0F];
    out << ']';
}

const char* writeTypeName(WriteType type) {
    return type == WriteType::WithResponse ? "with response" : "without response";
}

} // namespace

std::ostream& operator<<(std::ostream& out, SimRequest::Kind kind) {
    switch (kind) {
    case SimRequest::Kind::Scan:
        return out << "scan";
    case SimRequest::Kind::StopScan:
        return out << "stopScan";
    case SimRequest::Kind::Connect:
        return out << "connect";
    case SimRequest::Kind::CancelConnection:
        return out << "cancelConnection";
    case SimRequest::Kind::DiscoverServices:
        return out << "discoverServices";
    case SimRequest::Kind::DiscoverCharacteristics:
        return out << "discoverCharacteristics";
    case SimRequest::Kind::ReadValue:
        return out << "readValue";
    case SimRequest::Kind::SetNotifyValue:
        return out << "setNotifyValue";
    case SimRequest::Kind::WriteValue:
        return out << "writeValue";
    }
    return out << "?";
}

std::ostream& operator<<(std::ostream& out, const SimRequest& request) {
    out << request.kind << " (central " << request.central << ")";
    if (request.device)
        out << " device " << request.device->toString();
    if (!request.uuids.empty()) {
        out << " uuids";
        for (const BluetoothUuid& uuid : request.uuids)
            out << ' ' << uuid.toString();
    }
    if (request.characteristic)
        out << " characteristic " << request.characteristic->toString() << " #"
            << request.serviceIndex << '.' << request.characteristicIndex;
    if (request.kind == SimRequest::Kind::WriteValue) {
        out << ' ';
        printBytes(out, request.value);
        out << ' ' << writeTypeName(request.writeType);
    }
    if (request.kind == SimRequest::Kind::SetNotifyValue)
        out << (request.enabled ? " on" : " off");
    if (!request.linkUp)
        out << " (link down)";
    if (!request.validHandle)
        out << " (foreign or stale handle)";
    return out;
}

std::ostream& operator<<(std::ostream& out, const SimWrite& write) {
    out << write.characteristic.toString() << ' ';
    printBytes(out, write.value);
    return out << ' ' << writeTypeName(write.type);
}

} // namespace vontal
