// Runs the test web server as a child process and checks each behaviour
// the download tests lean on, with real clients over loopback.

#include <arpa/inet.h>
#include <fcntl.h>
#include <ftw.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef TESTSERVER_PATH
#error "TESTSERVER_PATH must name the server binary"
#endif

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void spit(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

// Distinct bytes per position, so a shifted or repeated piece cannot pass.
std::string pattern(std::size_t n, std::uint32_t seed) {
    std::string s(n, '\0');
    std::uint32_t x = seed * 2654435761u + 1;
    for (auto& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/testserver_test.XXXXXX";
        if (::mkdtemp(tmpl) != nullptr) path_ = tmpl;
    }
    ~TempDir() {
        if (!path_.empty()) {
            ::nftw(path_.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); },
                   16, FTW_DEPTH | FTW_PHYS);
        }
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Runs the server binary with `args`, its output going to the given files.
pid_t spawn_server(std::vector<std::string> args, const std::string& out, const std::string& err) {
    args.insert(args.begin(), TESTSERVER_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    return pid;
}

class ServerProcess {
public:
    ~ServerProcess() { stop(); }

    // Starts the server on `dir`/root with --idle-exit 30 (later `args` may
    // override it) and waits for its port file.
    bool start(const std::string& dir, const std::vector<std::string>& args, std::string& why) {
        dir_ = dir;
        std::vector<std::string> all = {"--root", dir + "/root", "--port-file", dir + "/port", "--idle-exit", "30"};
        all.insert(all.end(), args.begin(), args.end());
        pid_ = spawn_server(all, dir + "/stdout", dir + "/stderr");
        if (pid_ <= 0) {
            why = "spawn failed";
            return false;
        }
        const auto t0 = Clock::now();
        while (since(t0) < 15) {
            const std::string port = slurp(dir + "/port");
            if (!port.empty()) {
                http_port = std::stoi(port);
                const std::string hport = slurp(dir + "/hport");
                if (!hport.empty()) https_port = std::stoi(hport);
                return true;
            }
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                why = "server exited early: " + slurp(dir + "/stderr");
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        why = "no port file within 15 s";
        return false;
    }

    // True when the server exited within `secs`; `status` gets its wait status.
    bool wait_exit(double secs, int* status) {
        const auto t0 = Clock::now();
        while (pid_ > 0 && since(t0) < secs) {
            if (::waitpid(pid_, status, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return pid_ <= 0;
    }

    // Ends the server; returns what went wrong with its exit, empty if it
    // left cleanly with status 0 and no sanitizer report on stderr.
    std::string stop() {
        int status = 0;
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            if (!wait_exit(5, &status)) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                pid_ = -1;
                return "server ignored SIGTERM";
            }
        }
        return exit_problem(status);
    }

    std::string exit_problem(int status) const {
        const std::string err = slurp(dir_ + "/stderr");
        if (err.find("runtime error:") != std::string::npos || err.find("Sanitizer") != std::string::npos) {
            return "sanitizer report:\n" + err;
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "unclean exit:\n" + err;
        return {};
    }

    pid_t pid() const { return pid_; }
    std::string log() const { return slurp(dir_ + "/log"); }
    int http_port = 0;
    int https_port = 0;

private:
    std::string dir_;
    pid_t pid_ = -1;
};

struct Response {
    int status = 0;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
    bool has(const std::string& name) const { return headers.count(name) != 0; }
    std::string get(const std::string& name) const {
        auto it = headers.find(name);
        return it == headers.end() ? std::string() : it->second;
    }
};

class Client {
public:
    ~Client() { disconnect(); }

    bool connect_to(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }

    // Verifies the server against `ca_file` for `host`, a name or an IP.
    bool connect_tls(int port, const std::string& ca_file, const std::string& host) {
        if (!connect_to(port)) return false;
        ctx_ = SSL_CTX_new(TLS_client_method());
        if (ctx_ == nullptr || SSL_CTX_load_verify_locations(ctx_, ca_file.c_str(), nullptr) != 1) return false;
        SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
        ssl_ = SSL_new(ctx_);
        SSL_set_fd(ssl_, fd_);
        X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
        if (host == "localhost") {
            SSL_set_tlsext_host_name(ssl_, host.c_str());
            X509_VERIFY_PARAM_set1_host(param, host.c_str(), 0);
        } else {
            X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str());
        }
        const bool ok = SSL_connect(ssl_) == 1 && SSL_get_verify_result(ssl_) == X509_V_OK;
        ERR_clear_error();
        return ok;
    }

    void disconnect() {
        if (ssl_ != nullptr) SSL_free(ssl_);
        if (ctx_ != nullptr) SSL_CTX_free(ctx_);
        if (fd_ >= 0) ::close(fd_);
        ssl_ = nullptr;
        ctx_ = nullptr;
        fd_ = -1;
    }

    bool send_text(const std::string& s) {
        if (ssl_ != nullptr) return SSL_write(ssl_, s.data(), static_cast<int>(s.size())) == static_cast<int>(s.size());
        return ::send(fd_, s.data(), s.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(s.size());
    }

    bool get(const std::string& path, const std::string& extra = "") {
        return send_text("GET " + path + " HTTP/1.1\r\nHost: localhost\r\n" + extra + "\r\n");
    }

    // Moves received bytes into pending_: >0 got some, 0 end of stream,
    // -1 nothing within timeout_ms.
    int fill(int timeout_ms) {
        if (ssl_ == nullptr || SSL_pending(ssl_) == 0) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, timeout_ms) <= 0) return -1;
        }
        char buf[65536];
        const int n = ssl_ != nullptr ? SSL_read(ssl_, buf, sizeof buf)
                                      : static_cast<int>(::recv(fd_, buf, sizeof buf, 0));
        ERR_clear_error();
        if (n <= 0) return 0;
        pending_.append(buf, static_cast<std::size_t>(n));
        return n;
    }

    bool read_head(Response& r) {
        std::size_t end;
        while ((end = pending_.find("\r\n\r\n")) == std::string::npos) {
            if (fill(5000) <= 0) return false;
        }
        std::istringstream in(pending_.substr(0, end));
        pending_.erase(0, end + 4);
        std::string line;
        std::getline(in, line);
        if (line.compare(0, 9, "HTTP/1.1 ") != 0) return false;
        r.status = std::stoi(line.substr(9, 3));
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const auto colon = line.find(':');
            if (colon == std::string::npos) return false;
            std::string name = line.substr(0, colon);
            for (auto& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            r.headers[name] = line.substr(line.find_first_not_of(' ', colon + 1));
        }
        return true;
    }

    bool read_n(std::size_t n, std::string& out) {
        while (pending_.size() < n) {
            if (fill(5000) <= 0) return false;
        }
        out.append(pending_, 0, n);
        pending_.erase(0, n);
        return true;
    }

    // Reads until the server closes; false if it stays open past 5 s.
    bool read_to_eof(std::string& out) {
        int r;
        while ((r = fill(5000)) > 0) {}
        out += pending_;
        pending_.clear();
        return r == 0;
    }

    bool read_chunked(std::string& out) {
        for (;;) {
            std::size_t eol;
            while ((eol = pending_.find("\r\n")) == std::string::npos) {
                if (fill(5000) <= 0) return false;
            }
            const std::size_t size = std::stoul(pending_.substr(0, eol), nullptr, 16);
            pending_.erase(0, eol + 2);
            std::string piece;
            if (!read_n(size + 2, piece) || piece.compare(size, 2, "\r\n") != 0) return false;
            if (size == 0) return true;
            out.append(piece, 0, size);
        }
    }

    // Whole response, framed the way its headers say.
    bool fetch(const std::string& path, Response& r, const std::string& extra = "") {
        r = Response{};
        if (!get(path, extra) || !read_head(r)) return false;
        if (r.get("transfer-encoding") == "chunked") return read_chunked(r.body);
        if (r.has("content-length")) return read_n(std::stoull(r.get("content-length")), r.body);
        return read_to_eof(r.body);
    }

    std::size_t buffered() const { return pending_.size(); }
    // Open with nothing to read right now (as opposed to closed).
    bool open_and_quiet() {
        char c;
        const ssize_t n = ::recv(fd_, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }

private:
    int fd_ = -1;
    SSL_CTX* ctx_ = nullptr;
    SSL* ssl_ = nullptr;
    std::string pending_;
};

// One server with HTTP and HTTPS, shared by the tests of this fixture; each
// test writes the rules it needs.
class ServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        server_ = new ServerProcess();
        const std::string d = dir_->path();
        const std::string r = d + "/root";
        ::mkdir(r.c_str(), 0755);
        ::mkdir((r + "/sub").c_str(), 0755);
        ::mkdir((r + "/site").c_str(), 0755);
        spit(r + "/hello.txt", "hello world\n");
        spit(r + "/page one.htm", "<p>one</p>");
        spit(r + "/data.bin", pattern(3000, 1));
        spit(r + "/gone.txt", "still here\n");
        spit(r + "/site/index.htm", "<p>index</p>");
        spit(d + "/outside.txt", "secret");
        ::symlink("../outside.txt", (r + "/link.txt").c_str());
        for (const char* name : {"/stall.bin", "/cut.bin", "/chunked.bin", "/closed.bin"}) {
            spit(r + name, pattern(100000, name[1]));
        }
        spit(r + "/slow.bin", pattern(200000, 7));
        spit(r + "/fast.bin", pattern(20000000, 8));
        spit(r + "/big.bin", pattern(64u << 20, 9));
        set_rules("");
        start_error_ = new std::string();
        server_->start(d, {"--https-port-file", d + "/hport", "--cert-out", d + "/cert.pem", "--log",
                           d + "/log", "--rules", d + "/rules"},
                       *start_error_);
    }
    static void TearDownTestSuite() {
        if (server_->pid() > 0) {
            const std::string problem = server_->stop();
            EXPECT_TRUE(problem.empty()) << problem;
        }
        delete server_;
        delete dir_;
        delete start_error_;
    }
    void SetUp() override { ASSERT_GT(server_->http_port, 0) << *start_error_; }

    // Replaced in one step, as a test script would do it.
    static void set_rules(const std::string& text) {
        spit(dir_->path() + "/rules.new", text);
        ::rename((dir_->path() + "/rules.new").c_str(), (dir_->path() + "/rules").c_str());
    }
    static std::string path(const std::string& name) { return dir_->path() + "/" + name; }

    // The log line is written once the response is done, a moment after
    // the client has the last byte.
    static bool logged(const std::string& line) {
        const auto t0 = Clock::now();
        while (since(t0) < 3) {
            if (("\n" + server_->log()).find("\n" + line + "\n") != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    static Response fetch_once(const std::string& target, const std::string& extra = "") {
        Client c;
        Response r;
        EXPECT_TRUE(c.connect_to(server_->http_port));
        EXPECT_TRUE(c.fetch(target, r, extra)) << target;
        return r;
    }

    static TempDir* dir_;
    static ServerProcess* server_;
    static std::string* start_error_;
};
TempDir* ServerTest::dir_ = nullptr;
ServerProcess* ServerTest::server_ = nullptr;
std::string* ServerTest::start_error_ = nullptr;

TEST_F(ServerTest, AnnouncesPortsOnStdoutAndInFiles) {
    EXPECT_EQ(slurp(path("stdout")), "http_port=" + std::to_string(server_->http_port) +
                                         "\nhttps_port=" + std::to_string(server_->https_port) + "\n");
    EXPECT_GT(server_->https_port, 0);
    EXPECT_NE(server_->https_port, server_->http_port);
}

TEST_F(ServerTest, ServesFilesWithLengthTypeAndLog) {
    Response r = fetch_once("/hello.txt");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "hello world\n");
    EXPECT_EQ(r.get("content-length"), "12");
    EXPECT_EQ(r.get("content-type"), "text/plain");
    EXPECT_TRUE(logged("GET /hello.txt 200 12"));

    r = fetch_once("/page%20one.htm?v=2");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "<p>one</p>");
    EXPECT_EQ(r.get("content-type"), "text/html");

    r = fetch_once("/data.bin");
    EXPECT_TRUE(r.body == slurp(path("root/data.bin")));
    EXPECT_EQ(r.get("content-type"), "application/octet-stream");

    // HEAD announces the length but sends nothing: the next answer on the
    // same connection must start right after the head.
    Client c;
    ASSERT_TRUE(c.connect_to(server_->http_port));
    ASSERT_TRUE(c.send_text("HEAD /data.bin HTTP/1.1\r\nHost: x\r\n\r\n"));
    Response head;
    ASSERT_TRUE(c.read_head(head));
    EXPECT_EQ(head.get("content-length"), "3000");
    ASSERT_TRUE(c.fetch("/hello.txt", r));
    EXPECT_EQ(r.body, "hello world\n");
    EXPECT_TRUE(logged("HEAD /data.bin 200 0"));
}

TEST_F(ServerTest, RefusesEscapesAndHandlesMissingAndDirectories) {
    EXPECT_EQ(fetch_once("/missing.txt").status, 404);
    for (const char* escape : {"/../outside.txt", "/%2e%2e/outside.txt", "/sub/..%2f..%2foutside.txt",
                               "/sub/..\\..\\outside.txt", "/link.txt"}) {
        const Response r = fetch_once(escape);
        EXPECT_EQ(r.status, 403) << escape;
        EXPECT_EQ(r.body.find("secret"), std::string::npos) << escape;
    }
    EXPECT_EQ(fetch_once("/sub/../hello.txt").body, "hello world\n");
    EXPECT_EQ(fetch_once("/sub").status, 404);
    EXPECT_EQ(fetch_once("/sub/").status, 404);
    const Response index = fetch_once("/site/");
    EXPECT_EQ(index.status, 200);
    EXPECT_EQ(index.body, "<p>index</p>");
    EXPECT_EQ(index.get("content-type"), "text/html");
    EXPECT_EQ(fetch_once("/bad%zz").status, 400);

    Client c;
    ASSERT_TRUE(c.connect_to(server_->http_port));
    ASSERT_TRUE(c.send_text("POST /hello.txt HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc"));
    Response r;
    ASSERT_TRUE(c.read_head(r));
    EXPECT_EQ(r.status, 405);
}

TEST_F(ServerTest, KeepsConnectionsAliveUntilAskedToClose) {
    Client c;
    ASSERT_TRUE(c.connect_to(server_->http_port));
    for (int i = 0; i < 2; ++i) {
        Response r;
        ASSERT_TRUE(c.fetch("/hello.txt", r)) << i;
        EXPECT_EQ(r.body, "hello world\n");
        EXPECT_NE(r.get("connection"), "close");
    }
    // Pipelined, with a stray blank line between: answered in order.
    ASSERT_TRUE(c.send_text("GET /data.bin HTTP/1.1\r\nHost: x\r\n\r\n\r\nGET /hello.txt HTTP/1.1\r\n\r\n"));
    Response first, second;
    ASSERT_TRUE(c.read_head(first));
    ASSERT_TRUE(c.read_n(3000, first.body));
    ASSERT_TRUE(c.read_head(second));
    ASSERT_TRUE(c.read_n(12, second.body));
    EXPECT_TRUE(first.body == slurp(path("root/data.bin")));
    EXPECT_EQ(second.body, "hello world\n");
    Response last;
    ASSERT_TRUE(c.fetch("/hello.txt", last, "Connection: close\r\n"));
    EXPECT_EQ(last.get("connection"), "close");
    std::string rest;
    EXPECT_TRUE(c.read_to_eof(rest));
    EXPECT_TRUE(rest.empty());

    // HTTP/1.0 without keep-alive ends after one answer.
    Client old;
    ASSERT_TRUE(old.connect_to(server_->http_port));
    ASSERT_TRUE(old.send_text("GET /hello.txt HTTP/1.0\r\n\r\n"));
    Response r;
    ASSERT_TRUE(old.read_head(r));
    ASSERT_TRUE(old.read_to_eof(r.body));
    EXPECT_EQ(r.body, "hello world\n");
}

TEST_F(ServerTest, StatusAndRedirectRules) {
    set_rules("# faults for this test\n\n/gone.txt status=404\n/boom status=503\n/q.txt status=410\n"
              "/old redirect=/hello.txt\n/moved status=301 redirect=http://localhost:1/x\n");
    Response r = fetch_once("/gone.txt");
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(r.body, "still here\n");
    r = fetch_once("/boom");
    EXPECT_EQ(r.status, 503);
    EXPECT_FALSE(r.body.empty());
    EXPECT_EQ(fetch_once("/q.txt?x=1").status, 410);
    r = fetch_once("/old");
    EXPECT_EQ(r.status, 302);
    EXPECT_EQ(r.get("location"), "/hello.txt");
    r = fetch_once("/moved");
    EXPECT_EQ(r.status, 301);
    EXPECT_EQ(r.get("location"), "http://localhost:1/x");
    EXPECT_TRUE(logged("GET /gone.txt 404 11"));
}

TEST_F(ServerTest, RulesAreReloadedWhenTheFileChanges) {
    // Rewritten in place, same size, so only the modification time differs.
    spit(path("rules"), "/hello.txt status=503\n");
    EXPECT_EQ(fetch_once("/hello.txt").status, 503);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    spit(path("rules"), "/hello.txt status=410\n");
    EXPECT_EQ(fetch_once("/hello.txt").status, 410);
    set_rules("/hello.txt redirect=/data.bin\n");
    EXPECT_EQ(fetch_once("/hello.txt").get("location"), "/data.bin");
    set_rules("");
    EXPECT_EQ(fetch_once("/hello.txt").status, 200);
}

TEST_F(ServerTest, BodiesWithoutLength) {
    set_rules("/chunked.bin no-length=1\n/closed.bin no-length=close\n");
    const std::string chunked = slurp(path("root/chunked.bin"));
    Client c;
    ASSERT_TRUE(c.connect_to(server_->http_port));
    Response r;
    ASSERT_TRUE(c.fetch("/chunked.bin", r));
    EXPECT_EQ(r.get("transfer-encoding"), "chunked");
    EXPECT_FALSE(r.has("content-length"));
    EXPECT_TRUE(r.body == chunked);
    Response again;  // the chunked answer left the connection usable
    ASSERT_TRUE(c.fetch("/hello.txt", again));
    EXPECT_EQ(again.body, "hello world\n");
    EXPECT_TRUE(logged("GET /chunked.bin 200 100000"));

    r = fetch_once("/closed.bin");
    EXPECT_FALSE(r.has("content-length"));
    EXPECT_FALSE(r.has("transfer-encoding"));
    EXPECT_EQ(r.get("connection"), "close");
    EXPECT_TRUE(r.body == slurp(path("root/closed.bin")));

    // An HTTP/1.0 client cannot take chunks, so it gets a close-delimited body.
    Client old;
    ASSERT_TRUE(old.connect_to(server_->http_port));
    ASSERT_TRUE(old.send_text("GET /chunked.bin HTTP/1.0\r\n\r\n"));
    Response r10;
    ASSERT_TRUE(old.read_head(r10));
    EXPECT_FALSE(r10.has("transfer-encoding"));
    ASSERT_TRUE(old.read_to_eof(r10.body));
    EXPECT_TRUE(r10.body == chunked);
}

TEST_F(ServerTest, RatePacesTheWholeBody) {
    set_rules("/slow.bin rate=100000\n/fast.bin rate=10000000\n");
    struct Run {
        std::string target;
        std::size_t size = 0;
        double half = 0, total = 0;
        bool ok = false;
    };
    Run runs[2] = {{"/slow.bin", 200000}, {"/fast.bin", 20000000}};
    std::vector<std::thread> threads;
    for (auto& run : runs) {
        threads.emplace_back([&run] {
            Client c;
            Response r;
            const auto t0 = Clock::now();
            if (!c.connect_to(server_->http_port) || !c.get(run.target) || !c.read_head(r)) return;
            std::string half;
            if (!c.read_n(run.size / 2, half)) return;
            run.half = since(t0);
            std::string rest;
            run.ok = c.read_n(run.size - run.size / 2, rest);
            run.total = since(t0);
        });
    }
    for (auto& t : threads) t.join();
    // Both take 2 s; half the bytes by about 1 s shows pacing, not a burst.
    for (const auto& run : runs) {
        ASSERT_TRUE(run.ok) << run.target;
        EXPECT_GT(run.total, 1.8) << run.target;
        EXPECT_LT(run.total, 3.0) << run.target;
        EXPECT_GT(run.half, 0.75) << run.target;
        EXPECT_LT(run.half, 1.5) << run.target;
    }
}

TEST_F(ServerTest, StallAfterHoldsTheSocketOpenWithoutData) {
    set_rules("/stall.bin stall-after=1000\n");
    Client c;
    ASSERT_TRUE(c.connect_to(server_->http_port));
    ASSERT_TRUE(c.get("/stall.bin"));
    Response r;
    ASSERT_TRUE(c.read_head(r));
    EXPECT_EQ(r.get("content-length"), "100000");
    std::string part;
    ASSERT_TRUE(c.read_n(1000, part));
    EXPECT_TRUE(part == slurp(path("root/stall.bin")).substr(0, 1000));
    EXPECT_EQ(c.buffered(), 0u);
    EXPECT_EQ(c.fill(1000), -1);
    EXPECT_TRUE(c.open_and_quiet());
    EXPECT_TRUE(logged("GET /stall.bin 200 1000"));
    // Other clients are still served meanwhile.
    EXPECT_EQ(fetch_once("/hello.txt").status, 200);
}

TEST_F(ServerTest, CloseAfterEndsTheBodyEarly) {
    set_rules("/cut.bin close-after=3000\n");
    const std::string full = slurp(path("root/cut.bin"));
    for (bool tls : {false, true}) {
        Client c;
        ASSERT_TRUE(tls ? c.connect_tls(server_->https_port, path("cert.pem"), "localhost")
                        : c.connect_to(server_->http_port));
        ASSERT_TRUE(c.get("/cut.bin"));
        Response r;
        ASSERT_TRUE(c.read_head(r));
        EXPECT_EQ(r.get("content-length"), "100000");
        ASSERT_TRUE(c.read_to_eof(r.body)) << "tls=" << tls;
        EXPECT_TRUE(r.body == full.substr(0, 3000)) << "got " << r.body.size() << " bytes, tls=" << tls;
    }
    EXPECT_TRUE(logged("GET /cut.bin 200 3000"));
}

TEST_F(ServerTest, HttpsWithTheWrittenCertificate) {
    set_rules("/chunked.bin no-length=1\n");
    for (const char* host : {"localhost", "127.0.0.1"}) {
        Client c;
        ASSERT_TRUE(c.connect_tls(server_->https_port, path("cert.pem"), host)) << host;
        Response r;
        ASSERT_TRUE(c.fetch("/hello.txt", r));
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.body, "hello world\n");
        Response chunked;
        ASSERT_TRUE(c.fetch("/chunked.bin", chunked));
        EXPECT_TRUE(chunked.body == slurp(path("root/chunked.bin")));
    }
}

TEST_F(ServerTest, LargeFilesGoAtLoopbackSpeed) {
    const std::string big = slurp(path("root/big.bin"));
    for (bool tls : {false, true}) {
        Client c;
        ASSERT_TRUE(tls ? c.connect_tls(server_->https_port, path("cert.pem"), "localhost")
                        : c.connect_to(server_->http_port));
        Response r;
        const auto t0 = Clock::now();
        ASSERT_TRUE(c.fetch("/big.bin", r));
        const double secs = since(t0);
        EXPECT_LT(secs, 4.0) << "tls=" << tls;
        EXPECT_TRUE(r.body == big) << "tls=" << tls;
    }
}

// Servers of their own, for start and stop behaviour: `dir` gets a root
// holding f.bin and a rules file with `rules`.
bool start_own(TempDir& dir, ServerProcess& server, std::size_t file_size, const std::string& rules,
               std::vector<std::string> args, std::string& why) {
    ::mkdir((dir.path() + "/root").c_str(), 0755);
    spit(dir.path() + "/root/f.bin", pattern(file_size, 3));
    spit(dir.path() + "/rules", rules);
    args.insert(args.end(), {"--rules", dir.path() + "/rules"});
    return server.start(dir.path(), args, why);
}

TEST(ServerLifecycle, IdleExitWaitsForRunningTransfers) {
    TempDir dir;
    ServerProcess server;
    std::string why;
    ASSERT_TRUE(start_own(dir, server, 250000, "/f.bin rate=100000\n", {"--idle-exit", "1"}, why)) << why;

    // A 2.5 s transfer outlives the 1 s idle limit and still completes.
    Client c;
    ASSERT_TRUE(c.connect_to(server.http_port));
    Response r;
    ASSERT_TRUE(c.fetch("/f.bin", r));
    EXPECT_EQ(r.body.size(), 250000u);

    const auto t0 = Clock::now();
    int status = -1;
    ASSERT_TRUE(server.wait_exit(4, &status));
    EXPECT_GT(since(t0), 0.5);
    EXPECT_EQ(server.exit_problem(status), "");
    Client late;
    EXPECT_FALSE(late.connect_to(server.http_port));
}

TEST(ServerLifecycle, SigtermEndsStalledConnectionsAndExitsCleanly) {
    TempDir dir;
    ServerProcess server;
    std::string why;
    ASSERT_TRUE(start_own(dir, server, 5000, "/f.bin stall-after=10\n", {}, why)) << why;
    Client stalled, idle;
    ASSERT_TRUE(stalled.connect_to(server.http_port));
    ASSERT_TRUE(idle.connect_to(server.http_port));
    ASSERT_TRUE(stalled.get("/f.bin"));
    Response r;
    ASSERT_TRUE(stalled.read_head(r));
    std::string part;
    ASSERT_TRUE(stalled.read_n(10, part));

    ::kill(server.pid(), SIGTERM);
    int status = -1;
    ASSERT_TRUE(server.wait_exit(3, &status));
    EXPECT_EQ(server.exit_problem(status), "");
    std::string rest;
    EXPECT_TRUE(stalled.read_to_eof(rest));
}

TEST(ServerLifecycle, RejectsBadCommandLines) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--port-file", "/tmp/x"},
                                                 {"--root", "/tmp", "--bogus", "1"},
                                                 {"--root", "/tmp", "--port", "70000"},
                                                 {"--root", "/tmp", "--idle-exit"}}) {
        const pid_t pid = spawn_server(args, "/dev/null", "/dev/null");
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << args[0] << " " << args[1];
    }
}

}  // namespace
