// State shared by the accept loop and every connection thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

namespace ts {

class RulesStore;

class ServerState {
public:
    using Clock = std::chrono::steady_clock;

    ServerState(std::string root_real, int log_fd, RulesStore* rules);

    const std::string& root() const { return root_; }
    RulesStore* rules() const { return rules_; }

    // Any request or finished response counts as activity for --idle-exit.
    void note_activity();
    // A response body in flight keeps the server alive even when it is
    // slower than the idle limit; a stalled one does not.
    void begin_send();
    void end_send();
    bool idle_for(std::chrono::milliseconds limit) const;

    void request_stop();
    bool stopping() const { return stop_flag_.load(); }
    // Sleeps until the deadline; false when the server is stopping instead.
    bool sleep_until(Clock::time_point deadline);

    // One line per request, written with a single append so tests may read
    // the log while the server keeps running.
    void log_request(const std::string& method, const std::string& path, int status,
                     std::uint64_t body_bytes);

private:
    static std::int64_t now_ns();

    std::string root_;
    int log_fd_;
    RulesStore* rules_;
    std::atomic<std::int64_t> last_activity_ns_;
    std::atomic<int> busy_{0};
    std::atomic<bool> stop_flag_{false};
    std::mutex stop_mu_;
    std::condition_variable stop_cv_;
    bool stop_ = false;
    std::mutex log_mu_;
};

// Holds the "response in flight" mark for a scope; release() drops it early.
class BusyGuard {
public:
    explicit BusyGuard(ServerState& st) : st_(st) { st_.begin_send(); }
    ~BusyGuard() { release(); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    void release() {
        if (held_) {
            held_ = false;
            st_.end_send();
        }
    }

private:
    ServerState& st_;
    bool held_ = true;
};

}  // namespace ts
