#include "server_state.h"

#include <unistd.h>

#include <cerrno>

namespace ts {

ServerState::ServerState(std::string root_real, int log_fd, RulesStore* rules)
    : root_(std::move(root_real)), log_fd_(log_fd), rules_(rules), last_activity_ns_(now_ns()) {}

std::int64_t ServerState::now_ns() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

void ServerState::note_activity() { last_activity_ns_.store(now_ns()); }

void ServerState::begin_send() {
    busy_.fetch_add(1);
    note_activity();
}

void ServerState::end_send() {
    busy_.fetch_sub(1);
    note_activity();
}

bool ServerState::idle_for(std::chrono::milliseconds limit) const {
    if (busy_.load() > 0) return false;
    const std::int64_t quiet = now_ns() - last_activity_ns_.load();
    return quiet >= static_cast<std::int64_t>(limit.count()) * 1000000;
}

void ServerState::request_stop() {
    {
        std::lock_guard<std::mutex> lk(stop_mu_);
        stop_ = true;
        stop_flag_.store(true);
    }
    stop_cv_.notify_all();
}

bool ServerState::sleep_until(Clock::time_point deadline) {
    std::unique_lock<std::mutex> lk(stop_mu_);
    return !stop_cv_.wait_until(lk, deadline, [this] { return stop_; });
}

void ServerState::log_request(const std::string& method, const std::string& path, int status,
                              std::uint64_t body_bytes) {
    if (log_fd_ < 0) return;
    // Keep each line four space-separated fields whatever the client sent.
    auto clean = [](const std::string& s, std::size_t cap) {
        std::string out = s.substr(0, cap);
        for (char& c : out) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u <= 0x20 || u == 0x7f) c = '?';
        }
        return out.empty() ? std::string("-") : out;
    };
    std::string line = clean(method, 32) + " " + clean(path, 4096) + " " +
                       std::to_string(status) + " " + std::to_string(body_bytes) + "\n";
    std::lock_guard<std::mutex> lk(log_mu_);
    const char* p = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(log_fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

}  // namespace ts
