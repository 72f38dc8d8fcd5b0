// The editor link's only contact with the network: one non-blocking TCP connection.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Starts connecting; -1 when the address cannot even be tried.
int rocket_socket_connect(const std::string& host, uint16_t port);
// 1 connected, 0 still connecting, -1 refused or failed.
int rocket_socket_connected(int fd);
// Bytes read, 0 when none are waiting, -1 when the peer closed or the connection failed.
long rocket_socket_receive(int fd, uint8_t* buffer, size_t size);
// Bytes sent (possibly fewer than size, possibly 0), -1 on failure.
long rocket_socket_send(int fd, const uint8_t* data, size_t size);
void rocket_socket_close(int fd);
