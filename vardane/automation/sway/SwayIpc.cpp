#include "SwayIpc.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace automation::sway {

namespace {

constexpr std::array<char, 6> Magic{'i', '3', '-', 'i', 'p', 'c'};
constexpr std::uint32_t RunCommand = 0;
constexpr std::uint32_t GetTree = 4;
constexpr int ReplyLimitMs = 1000;
constexpr std::uint32_t LargestReply = 1 << 24;

// Reads exactly size bytes, waiting at most ReplyLimitMs for each part.
bool readAll(int fd, char* data, std::size_t size)
{
    while (size > 0) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, ReplyLimitMs) <= 0)
            return false;
        const ssize_t n = ::read(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::unique_ptr<Ipc> Ipc::fromEnvironment()
{
    const char* path = std::getenv("SWAYSOCK");
    if (!path || !*path)
        return nullptr;
    std::unique_ptr<Ipc> ipc(new Ipc(path));
    if (!ipc->connect())
        return nullptr;
    return ipc;
}

Ipc::Ipc(std::string path) : m_path(std::move(path)) {}

Ipc::~Ipc()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool Ipc::connect()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (m_path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, m_path.c_str(), m_path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool Ipc::exchange(std::uint32_t type, const std::string& payload, std::string& reply)
{
    if (m_fd < 0)
        return false;
    // A message: the magic, the payload's length and the message type (both
    // in the machine's byte order), then the payload.
    std::string message(Magic.begin(), Magic.end());
    const std::uint32_t header[2] = {static_cast<std::uint32_t>(payload.size()), type};
    message.append(reinterpret_cast<const char*>(header), sizeof header);
    message += payload;
    if (!writeAll(m_fd, message.data(), message.size()))
        return false;
    char head[Magic.size() + sizeof header];
    if (!readAll(m_fd, head, sizeof head) || std::memcmp(head, Magic.data(), Magic.size()) != 0)
        return false;
    std::uint32_t length = 0;
    std::memcpy(&length, head + Magic.size(), sizeof length);
    if (length > LargestReply)
        return false;
    reply.assign(length, '\0');
    return readAll(m_fd, reply.data(), length);
}

bool Ipc::ask(std::uint32_t type, const std::string& payload, std::string& reply)
{
    if (exchange(type, payload, reply))
        return true;
    // Lost (sway restarted, a reply never came): once more on a new connection.
    return connect() && exchange(type, payload, reply);
}

bool Ipc::run(const std::string& command)
{
    std::string reply;
    if (!ask(RunCommand, command, reply))
        return false;
    // The reply is a list with one result per command: [{"success": true}].
    return reply.find("\"success\": true") != std::string::npos ||
           reply.find("\"success\":true") != std::string::npos;
}

std::string Ipc::tree()
{
    std::string reply;
    return ask(GetTree, {}, reply) ? reply : std::string();
}

} // namespace automation::sway
