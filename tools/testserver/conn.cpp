#include "conn.h"

#include <openssl/err.h>
#include <poll.h>
#include <sys/sendfile.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace ts {

Conn::~Conn() {
    if (ssl_ != nullptr) SSL_free(ssl_);
}

bool Conn::handshake() {
    if (ssl_ == nullptr) return true;
    const int r = SSL_accept(ssl_);
    if (r != 1) {
        ERR_clear_error();
        return false;
    }
    return true;
}

int Conn::wait_readable(int timeout_ms) {
    if (ssl_ != nullptr && SSL_pending(ssl_) > 0) return 1;
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeout_ms);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return -1;
        return r == 0 ? 0 : 1;
    }
}

ssize_t Conn::recv_some(char* buf, std::size_t cap) {
    if (cap == 0) return -1;
    if (ssl_ != nullptr) {
        const int want = static_cast<int>(std::min<std::size_t>(cap, 1 << 20));
        const int r = SSL_read(ssl_, buf, want);
        if (r > 0) return r;
        const int err = SSL_get_error(ssl_, r);
        ERR_clear_error();
        return err == SSL_ERROR_ZERO_RETURN ? 0 : -1;
    }
    for (;;) {
        const ssize_t r = ::recv(fd_, buf, cap, 0);
        if (r < 0 && errno == EINTR) continue;
        return r;
    }
}

bool Conn::send_all(const void* data, std::size_t len, std::size_t* written, bool more) {
    const char* p = static_cast<const char*>(data);
    std::size_t done = 0;
    bool ok = true;
    while (done < len) {
        if (ssl_ != nullptr) {
            // One record at most per call keeps the count of bytes out exact.
            const int piece = static_cast<int>(std::min<std::size_t>(len - done, 16384));
            const int r = SSL_write(ssl_, p + done, piece);
            if (r <= 0) {
                ERR_clear_error();
                ok = false;
                break;
            }
            done += static_cast<std::size_t>(r);
        } else {
            const ssize_t r = ::send(fd_, p + done, len - done, MSG_NOSIGNAL | (more ? MSG_MORE : 0));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) {
                ok = false;
                break;
            }
            done += static_cast<std::size_t>(r);
        }
    }
    if (written != nullptr) *written = done;
    return ok;
}

std::uint64_t Conn::send_file(int file_fd, std::uint64_t offset, std::uint64_t len, bool* ok) {
    off_t off = static_cast<off_t>(offset);
    std::uint64_t sent = 0;
    *ok = true;
    while (sent < len) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(len - sent, 1u << 30));
        const ssize_t r = ::sendfile(fd_, file_fd, &off, want);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {  // 0: the file shrank under us
            *ok = false;
            break;
        }
        sent += static_cast<std::uint64_t>(r);
    }
    return sent;
}

void Conn::finish(bool abrupt, int linger_ms) {
    if (ssl_ != nullptr && !abrupt) {
        SSL_shutdown(ssl_);
        ERR_clear_error();
    }
    ::shutdown(fd_, SHUT_WR);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(linger_ms);
    char sink[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) break;
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        const ssize_t n = ::recv(fd_, sink, sizeof sink, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
    }
}

void Conn::wait_for_peer_close() {
    // Read raw bytes, not TLS records: whatever the client sends is dropped,
    // and only its close (or our shutdown) ends the wait.
    char sink[4096];
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, -1);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return;
        const ssize_t n = ::recv(fd_, sink, sizeof sink, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
    }
}

}  // namespace ts
