// One client connection, plain or TLS, with blocking I/O.
#pragma once

#include <openssl/ssl.h>

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace ts {

class Conn {
public:
    // Owns `ssl` (may be null for plain HTTP); the socket itself stays owned
    // by the caller, which closes it after this object is gone.
    Conn(int fd, SSL* ssl) : fd_(fd), ssl_(ssl) {}
    ~Conn();
    Conn(const Conn&) = delete;
    Conn& operator=(const Conn&) = delete;

    bool is_tls() const { return ssl_ != nullptr; }
    int fd() const { return fd_; }

    bool handshake();
    // 1: data to read, 0: nothing within timeout_ms, -1: error.
    int wait_readable(int timeout_ms);
    // >0 bytes read, 0 orderly end, <0 error.
    ssize_t recv_some(char* buf, std::size_t cap);
    // Writes all of it; `written` gets what went out before a failure.
    // `more` hints that further data follows at once.
    bool send_all(const void* data, std::size_t len, std::size_t* written, bool more = false);
    // Plain sockets only: kernel copy of file bytes [offset, offset+len).
    std::uint64_t send_file(int file_fd, std::uint64_t offset, std::uint64_t len, bool* ok);

    // Orderly end: TLS close_notify (unless `abrupt`), FIN, then a short
    // drain so unread request bytes do not turn our close into a reset.
    void finish(bool abrupt, int linger_ms);
    // Waits until the peer closes or the socket is shut down under us.
    void wait_for_peer_close();

private:
    int fd_;
    SSL* ssl_;
};

}  // namespace ts
