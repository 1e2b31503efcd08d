// testserver: local HTTP/HTTPS file server with scripted faults, for
// exercising the download paths of the control under test.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <openssl/ssl.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>

#include "conn.h"
#include "http_handler.h"
#include "rules.h"
#include "server_state.h"
#include "tls_setup.h"

namespace {

constexpr std::size_t kMaxConnections = 512;

struct Options {
    std::string root;
    std::string port_file;
    std::string https_port_file;
    std::string cert_out;
    std::string log;
    std::string rules;
    long idle_exit = 300;
    long port = 0;
    long https_port = -1;  // -1: no HTTPS unless a port file asks for it
    // Another loopback address on which the server also answers on the
    // standard ports, 80 plain and 443 secure: what the control treats by
    // its port number is tried there. Empty: none.
    std::string standard_address;
};

void usage() {
    std::fprintf(stderr,
                 "usage: testserver --root DIR [--port-file FILE] [--https-port-file FILE]\n"
                 "                  [--log FILE] [--rules FILE] [--idle-exit SECONDS]\n"
                 "                  [--port N] [--https-port N] [--cert-out FILE]\n"
                 "                  [--standard-ports ADDRESS]\n");
}

bool parse_long(const std::string& s, long lo, long hi, long& out) {
    if (s.empty() || s.size() > 10 || s.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const long v = std::strtol(s.c_str(), nullptr, 10);
    if (v < lo || v > hi) return false;
    out = v;
    return true;
}

bool parse_options(int argc, char** argv, Options& opt) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        const auto eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            std::fprintf(stderr, "testserver: %s needs a value\n", arg.c_str());
            return false;
        }
        bool ok = true;
        if (arg == "--root") {
            opt.root = value;
        } else if (arg == "--port-file") {
            opt.port_file = value;
        } else if (arg == "--https-port-file") {
            opt.https_port_file = value;
        } else if (arg == "--cert-out") {
            opt.cert_out = value;
        } else if (arg == "--log") {
            opt.log = value;
        } else if (arg == "--rules") {
            opt.rules = value;
        } else if (arg == "--idle-exit") {
            ok = parse_long(value, 0, INT_MAX / 1000, opt.idle_exit);
        } else if (arg == "--port") {
            ok = parse_long(value, 0, 65535, opt.port);
        } else if (arg == "--https-port") {
            ok = parse_long(value, 0, 65535, opt.https_port);
        } else if (arg == "--standard-ports") {
            in_addr parsed {};
            ok = ::inet_pton(AF_INET, value.c_str(), &parsed) == 1 &&
                 (ntohl(parsed.s_addr) >> 24) == 127;
            opt.standard_address = value;
        } else {
            std::fprintf(stderr, "testserver: unknown option %s\n", arg.c_str());
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "testserver: bad value for %s: %s\n", arg.c_str(), value.c_str());
            return false;
        }
    }
    if (opt.root.empty()) {
        std::fprintf(stderr, "testserver: --root is required\n");
        return false;
    }
    return true;
}

// Readers poll for these files, so they must never see half of one.
bool write_file_atomic(const std::string& path, const std::string& content) {
    const std::string tmp = path + ".tmp." + std::to_string(::getpid());
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const char* p = content.data();
    std::size_t left = content.size();
    bool ok = true;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(tmp.c_str());
    return ok;
}

int make_listener(long port, int* bound_port, const char* address = nullptr) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (address != nullptr && ::inet_pton(AF_INET, address, &addr.sin_addr) != 1) {
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 128) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return -1;
    }
    *bound_port = ntohs(addr.sin_port);
    return fd;
}

// Sockets of live connections, so shutdown can wake threads blocked on them.
class ConnRegistry {
public:
    void add(int fd) {
        std::lock_guard<std::mutex> lk(mu_);
        fds_.insert(fd);
    }
    void remove_and_close(int fd) {
        {
            std::lock_guard<std::mutex> lk(mu_);
            fds_.erase(fd);
        }
        ::close(fd);
    }
    void shutdown_all() {
        std::lock_guard<std::mutex> lk(mu_);
        for (int fd : fds_) ::shutdown(fd, SHUT_RDWR);
    }

private:
    std::mutex mu_;
    std::set<int> fds_;
};

struct Worker {
    std::thread thread;
    std::atomic<bool> done{false};
};

void run_connection(ts::ServerState& st, ConnRegistry& reg, int fd, SSL_CTX* tls, Worker* self) {
    {
        SSL* ssl = nullptr;
        bool usable = true;
        if (tls != nullptr) {
            ssl = SSL_new(tls);
            usable = ssl != nullptr && SSL_set_fd(ssl, fd) == 1;
        }
        ts::Conn conn(fd, ssl);
        if (usable && conn.handshake()) ts::serve_connection(st, conn);
    }
    reg.remove_and_close(fd);
    self->done.store(true);
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    if (!parse_options(argc, argv, opt)) {
        usage();
        return 2;
    }
    const bool want_https = opt.https_port >= 0 || !opt.https_port_file.empty();
    if (!want_https && !opt.cert_out.empty()) {
        std::fprintf(stderr, "testserver: --cert-out ignored without HTTPS\n");
    }

    char* real_root = ::realpath(opt.root.c_str(), nullptr);
    struct stat root_st {};
    if (real_root == nullptr || ::stat(real_root, &root_st) != 0 || !S_ISDIR(root_st.st_mode)) {
        std::fprintf(stderr, "testserver: root %s is not a directory\n", opt.root.c_str());
        std::free(real_root);
        return 1;
    }
    const std::string root(real_root);
    std::free(real_root);

    // Termination signals arrive through a descriptor the accept loop polls;
    // threads started later inherit the mask and never see them.
    sigset_t sigs;
    sigemptyset(&sigs);
    sigaddset(&sigs, SIGTERM);
    sigaddset(&sigs, SIGINT);
    sigaddset(&sigs, SIGHUP);
    if (pthread_sigmask(SIG_BLOCK, &sigs, nullptr) != 0) return 1;
    ::signal(SIGPIPE, SIG_IGN);
    const int sig_fd = ::signalfd(-1, &sigs, SFD_CLOEXEC);
    if (sig_fd < 0) {
        std::perror("testserver: signalfd");
        return 1;
    }

    int log_fd = -1;
    if (!opt.log.empty()) {
        log_fd = ::open(opt.log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (log_fd < 0) {
            std::fprintf(stderr, "testserver: cannot open log %s: %s\n", opt.log.c_str(),
                         std::strerror(errno));
            ::close(sig_fd);
            return 1;
        }
    }
    std::unique_ptr<ts::RulesStore> rules;
    if (!opt.rules.empty()) rules = std::make_unique<ts::RulesStore>(opt.rules);
    ts::ServerState state(root, log_fd, rules.get());

    int exit_code = 0;
    int http_port = 0;
    int https_port = 0;
    int https_fd = -1;
    int standard_fds[2] = {-1, -1};  // 80 plain, 443 secure
    SSL_CTX* tls = nullptr;
    const int http_fd = make_listener(opt.port, &http_port);
    if (http_fd < 0) {
        std::fprintf(stderr, "testserver: cannot listen on port %ld: %s\n", opt.port,
                     std::strerror(errno));
        exit_code = 1;
    }
    if (exit_code == 0 && want_https) {
        std::string pem;
        std::string error;
        tls = ts::make_tls_server_ctx(pem, error);
        if (tls == nullptr) {
            std::fprintf(stderr, "testserver: %s\n", error.c_str());
            exit_code = 1;
        } else if (!opt.cert_out.empty() && !write_file_atomic(opt.cert_out, pem)) {
            std::fprintf(stderr, "testserver: cannot write %s\n", opt.cert_out.c_str());
            exit_code = 1;
        } else {
            https_fd = make_listener(opt.https_port < 0 ? 0 : opt.https_port, &https_port);
            if (https_fd < 0) {
                std::fprintf(stderr, "testserver: cannot listen for HTTPS: %s\n", std::strerror(errno));
                exit_code = 1;
            }
        }
    }
    if (exit_code == 0 && !opt.standard_address.empty()) {
        int bound = 0;
        const char* address = opt.standard_address.c_str();
        standard_fds[0] = make_listener(80, &bound, address);
        standard_fds[1] = tls != nullptr ? make_listener(443, &bound, address) : -1;
        if (standard_fds[0] < 0 || standard_fds[1] < 0) {
            std::fprintf(stderr, "testserver: cannot listen on %s ports 80 and 443 (with HTTPS): %s\n",
                         address, std::strerror(errno));
            exit_code = 1;
        }
    }
    // Announce only once everything a client needs is in place: the HTTP
    // port file comes last because scripts wait on it.
    if (exit_code == 0 && !opt.https_port_file.empty() &&
        !write_file_atomic(opt.https_port_file, std::to_string(https_port))) {
        std::fprintf(stderr, "testserver: cannot write %s\n", opt.https_port_file.c_str());
        exit_code = 1;
    }
    if (exit_code == 0 && !opt.port_file.empty() &&
        !write_file_atomic(opt.port_file, std::to_string(http_port))) {
        std::fprintf(stderr, "testserver: cannot write %s\n", opt.port_file.c_str());
        exit_code = 1;
    }
    if (exit_code == 0) {
        std::printf("http_port=%d\n", http_port);
        std::fflush(stdout);
        if (tls != nullptr) {
            std::printf("https_port=%d\n", https_port);
            std::fflush(stdout);
        }
    }

    ConnRegistry registry;
    std::list<std::unique_ptr<Worker>> workers;
    const auto idle_limit = std::chrono::milliseconds(opt.idle_exit * 1000);
    while (exit_code == 0) {
        // A negative descriptor is left out by poll.
        pollfd fds[5] = {{sig_fd, POLLIN, 0},
                         {http_fd, POLLIN, 0},
                         {https_fd, POLLIN, 0},
                         {standard_fds[0], POLLIN, 0},
                         {standard_fds[1], POLLIN, 0}};
        const nfds_t nfds = 5;
        const int r = ::poll(fds, nfds, 200);
        if (r < 0 && errno != EINTR) {
            std::perror("testserver: poll");
            exit_code = 1;
            break;
        }
        if (r > 0 && (fds[0].revents & POLLIN) != 0) {
            signalfd_siginfo info {};
            if (::read(sig_fd, &info, sizeof info) > 0) {
                std::fprintf(stderr, "testserver: signal %u, stopping\n", info.ssi_signo);
            }
            break;
        }
        for (nfds_t i = 1; r > 0 && i < nfds; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & POLLIN) == 0) continue;
            const int fd = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            if (workers.size() >= kMaxConnections) {
                ::close(fd);
                continue;
            }
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            state.note_activity();
            registry.add(fd);
            auto worker = std::make_unique<Worker>();
            Worker* self = worker.get();
            SSL_CTX* ctx = i == 2 || i == 4 ? tls : nullptr;
            try {
                worker->thread = std::thread(run_connection, std::ref(state), std::ref(registry), fd,
                                             ctx, self);
                workers.push_back(std::move(worker));
            } catch (const std::system_error&) {
                registry.remove_and_close(fd);
            }
        }
        for (auto it = workers.begin(); it != workers.end();) {
            if ((*it)->done.load()) {
                (*it)->thread.join();
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
        if (opt.idle_exit > 0 && state.idle_for(idle_limit)) {
            std::fprintf(stderr, "testserver: idle for %ld s, stopping\n", opt.idle_exit);
            break;
        }
    }

    state.request_stop();
    if (http_fd >= 0) ::close(http_fd);
    if (https_fd >= 0) ::close(https_fd);
    for (int fd : standard_fds) {
        if (fd >= 0) ::close(fd);
    }
    registry.shutdown_all();
    for (auto& w : workers) w->thread.join();
    workers.clear();
    if (tls != nullptr) SSL_CTX_free(tls);
    if (log_fd >= 0) ::close(log_fd);
    ::close(sig_fd);
    return exit_code;
}
