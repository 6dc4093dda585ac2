#include "sway_ipc.h"

#include <cstdint>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vontal::e2e {

namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::uint32_t kRunCommand = 0;

bool readAll(int fd, void* data, std::size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, bytes, size);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

SwayIpc::SwayIpc(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 &&
        ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

SwayIpc::~SwayIpc() {
    if (fd_ >= 0)
        close(fd_);
}

bool SwayIpc::send(const std::string& command) {
    // Header: magic, payload length, message type, in the machine's byte order.
    std::string message(kMagic, sizeof kMagic);
    const auto length = static_cast<std::uint32_t>(command.size());
    message.append(reinterpret_cast<const char*>(&length), sizeof length);
    message.append(reinterpret_cast<const char*>(&kRunCommand), sizeof kRunCommand);
    message += command;
    return fd_ >= 0 &&
           write(fd_, message.data(), message.size()) == static_cast<ssize_t>(message.size());
}

std::optional<std::string> SwayIpc::answer() {
    char magic[sizeof kMagic];
    std::uint32_t length = 0;
    std::uint32_t type = 0;
    if (fd_ < 0 || !readAll(fd_, magic, sizeof magic) || !readAll(fd_, &length, sizeof length) ||
        !readAll(fd_, &type, sizeof type))
        return std::nullopt;
    std::string payload(length, '\0');
    if (!readAll(fd_, payload.data(), payload.size()))
        return std::nullopt;
    return payload;
}

} // namespace vontal::e2e
