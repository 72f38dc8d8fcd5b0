// The editor link's only contact with the network: one non-blocking TCP connection.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A host name looked up on a thread of its own: a name service may take
// seconds to answer, and the frame loop must not wait for it.
struct rocket_lookup;
rocket_lookup* rocket_lookup_start(const std::string& host);
// 1 found, 0 still looking, -1 not found.
int rocket_lookup_state(const rocket_lookup& lookup);
// Gives the lookup up; a thread still looking frees it when done.
void rocket_lookup_end(rocket_lookup* lookup);
// How a name becomes an IPv4 address in network order; false when it cannot.
// Blocking; tests put a slow one in its place.
extern bool (*rocket_resolve)(const std::string& host, uint32_t& address);

// Starts connecting to a found host; -1 when the address cannot even be tried.
int rocket_socket_connect(const rocket_lookup& found, uint16_t port);
// 1 connected, 0 still connecting, -1 refused or failed.
int rocket_socket_connected(int fd);
// Bytes read, 0 when none are waiting, -1 when the peer closed or the connection failed.
long rocket_socket_receive(int fd, uint8_t* buffer, size_t size);
// Bytes sent (possibly fewer than size, possibly 0), -1 on failure.
long rocket_socket_send(int fd, const uint8_t* data, size_t size);
void rocket_socket_close(int fd);
