#include "tools/rocket/rocket_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <system_error>
#include <thread>

namespace {
bool resolve_by_name_service(const std::string& host, uint32_t& address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}
}

bool (*rocket_resolve)(const std::string& host, uint32_t& address) = resolve_by_name_service;

// Shared by the caller and the looking thread; the last of the two to let go frees it.
struct rocket_lookup {
    std::atomic<int> state{0};
    std::atomic<int> holders{2};
    uint32_t address = 0; // written before state turns 1
};

namespace {
void let_go(rocket_lookup* lookup)
{
    if (lookup->holders.fetch_sub(1, std::memory_order_acq_rel) == 1)
        delete lookup;
}
}

rocket_lookup* rocket_lookup_start(const std::string& host)
{
    rocket_lookup* lookup = new rocket_lookup;
    try {
        std::thread([lookup, host] {
            uint32_t address = 0;
            const bool found = rocket_resolve(host, address);
            lookup->address = address;
            lookup->state.store(found ? 1 : -1, std::memory_order_release);
            let_go(lookup);
        }).detach();
    } catch (const std::system_error&) { // no thread to be had: looked up as not found
        lookup->state = -1;
        lookup->holders = 1;
    }
    return lookup;
}

int rocket_lookup_state(const rocket_lookup& lookup) { return lookup.state.load(std::memory_order_acquire); }

void rocket_lookup_end(rocket_lookup* lookup)
{
    if (lookup)
        let_go(lookup);
}

int rocket_socket_connect(const rocket_lookup& found, uint16_t port)
{
    if (rocket_lookup_state(found) != 1)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = found.address;
    address.sin_port = htons(port);

    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one); // small messages, sent at once
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && errno != EINPROGRESS) {
        close(fd);
        return -1;
    }
    return fd;
}

int rocket_socket_connected(int fd)
{
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0)
        return 1;
    int error = 0;
    length = sizeof error;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
    return error == 0 || error == EINPROGRESS ? 0 : -1;
}

long rocket_socket_receive(int fd, uint8_t* buffer, size_t size)
{
    const ssize_t n = recv(fd, buffer, size, 0);
    if (n > 0)
        return n;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return 0;
    return -1;
}

long rocket_socket_send(int fd, const uint8_t* data, size_t size)
{
    const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n >= 0)
        return n;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
}

void rocket_socket_close(int fd) { close(fd); }
