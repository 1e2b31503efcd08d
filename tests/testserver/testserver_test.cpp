// Runs the test web server as a child process and checks each fault mode
// the download tests lean on, with real clients over loopback; every run
// must end cleanly with no sanitizer report.

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
#include <fstream>
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

// A scratch folder: `root` is the server's document root.
struct TempDir {
    TempDir() {
        char tmpl[] = "/tmp/testserver_test.XXXXXX";
        if (::mkdtemp(tmpl) != nullptr) path = tmpl;
        ::mkdir((path + "/root").c_str(), 0755);
    }
    ~TempDir() {
        ::nftw(path.c_str(), [](const char* p, const struct stat*, int, FTW*) { return ::remove(p); }, 16,
               FTW_DEPTH | FTW_PHYS);
    }
    std::string path;
};

class ServerProcess {
public:
    ~ServerProcess() { stop(); }

    // Starts the server on `dir`/root with --idle-exit 30 (later `args` may
    // override it) and waits for its port files.
    bool start(const std::string& dir, const std::vector<std::string>& args, std::string& why) {
        dir_ = dir;
        std::vector<std::string> all = {TESTSERVER_PATH, "--root", dir + "/root", "--port-file", dir + "/port",
                                        "--idle-exit", "30"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 2, (dir + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool spawned = posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&fa);
        if (!spawned) {
            pid_ = -1;
            why = "spawn failed";
            return false;
        }
        int status = 0;
        for (const auto t0 = Clock::now(); since(t0) < 15;) {
            const std::string port = slurp(dir + "/port");
            if (!port.empty()) {
                http_port = std::stoi(port);
                const std::string hport = slurp(dir + "/hport");
                if (!hport.empty()) https_port = std::stoi(hport);
                return true;
            }
            if (wait_exit(0.01, &status)) {
                why = "server exited early: " + slurp(dir + "/stderr");
                return false;
            }
        }
        why = "no port file within 15 s";
        return false;
    }

    // True when the server exited within `secs`; `status` gets its wait status.
    bool wait_exit(double secs, int* status) {
        for (const auto t0 = Clock::now(); pid_ > 0 && since(t0) < secs;) {
            if (::waitpid(pid_, status, WNOHANG) == pid_) pid_ = -1;
            else std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return pid_ <= 0;
    }

    // Ends the server; returns what went wrong with its exit, empty if it
    // left cleanly.
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

    // Empty for exit status 0 with no sanitizer report on stderr.
    std::string exit_problem(int status) const {
        const std::string err = slurp(dir_ + "/stderr");
        if (err.find("runtime error:") != std::string::npos || err.find("Sanitizer") != std::string::npos) {
            return "sanitizer report:\n" + err;
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "unclean exit:\n" + err;
        return {};
    }

    pid_t pid() const { return pid_; }
    int http_port = 0;
    int https_port = 0;

private:
    std::string dir_;
    pid_t pid_ = -1;
};

struct Response {
    int status = 0;
    std::string head;  // status line and headers, without the blank line
    std::string body;
    // The value of header `name` (given in lower case), empty when absent.
    std::string get(const std::string& name) const {
        std::string lower = head;
        for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto at = lower.find("\r\n" + name + ":");
        if (at == std::string::npos) return {};
        const auto from = head.find_first_not_of(' ', at + name.size() + 3);
        return head.substr(from, head.find('\r', from) - from);
    }
    bool has(const std::string& name) const { return !get(name).empty(); }
};

// One connection, plain or TLS; `pending` holds what arrived and was not
// taken yet. Every read gives up after 5 s without data.
class Client {
public:
    ~Client() {
        if (ssl_ != nullptr) SSL_free(ssl_);
        if (ctx_ != nullptr) SSL_CTX_free(ctx_);
        if (fd_ >= 0) ::close(fd_);
    }

    // With `ca_file`, speaks TLS and verifies the server for `host`, a name
    // or an IP address.
    bool connect(int port, const std::string& ca_file = "", const std::string& host = "localhost") {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return false;
        if (ca_file.empty()) return true;
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

    bool send(const std::string& s) {
        if (ssl_ != nullptr) return SSL_write(ssl_, s.data(), static_cast<int>(s.size())) == static_cast<int>(s.size());
        return ::send(fd_, s.data(), s.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(s.size());
    }

    bool get(const std::string& path) { return send("GET " + path + " HTTP/1.1\r\nHost: localhost\r\n\r\n"); }

    // Moves received bytes into pending: >0 got some, 0 end of stream, -1
    // nothing within timeout_ms.
    int fill(int timeout_ms) {
        if (ssl_ == nullptr || SSL_pending(ssl_) == 0) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, timeout_ms) <= 0) return -1;
        }
        char buf[65536];
        const int n = ssl_ != nullptr ? SSL_read(ssl_, buf, sizeof buf)
                                      : static_cast<int>(::recv(fd_, buf, sizeof buf, 0));
        ERR_clear_error();
        if (n > 0) pending.append(buf, static_cast<std::size_t>(n));
        return n > 0 ? n : 0;
    }

    // Appends the next n bytes to out.
    bool take(std::size_t n, std::string& out) {
        while (pending.size() < n) {
            if (fill(5000) <= 0) return false;
        }
        out.append(pending, 0, n);
        pending.erase(0, n);
        return true;
    }

    // Appends the bytes before the next `token` to out and drops the token.
    bool take_until(const std::string& token, std::string& out) {
        std::size_t at;
        while ((at = pending.find(token)) == std::string::npos) {
            if (fill(5000) <= 0) return false;
        }
        out.append(pending, 0, at);
        pending.erase(0, at + token.size());
        return true;
    }

    bool read_head(Response& r) {
        if (!take_until("\r\n\r\n", r.head) || r.head.compare(0, 9, "HTTP/1.1 ") != 0) return false;
        r.status = std::stoi(r.head.substr(9, 3));
        return true;
    }

    // Reads until the server closes; false if it stays open.
    bool read_to_eof(std::string& out) {
        int r;
        while ((r = fill(5000)) > 0) {}
        out += pending;
        pending.clear();
        return r == 0;
    }

    bool read_chunked(std::string& out) {
        for (;;) {
            std::string size_line, piece;
            if (!take_until("\r\n", size_line)) return false;
            const std::size_t size = std::stoul(size_line, nullptr, 16);
            if (!take(size + 2, piece) || piece.compare(size, 2, "\r\n") != 0) return false;
            if (size == 0) return true;
            out.append(piece, 0, size);
        }
    }

    // Whole response, framed the way its headers say.
    bool fetch(const std::string& path, Response& r) {
        r = Response{};
        if (!get(path) || !read_head(r)) return false;
        if (r.get("transfer-encoding") == "chunked") return read_chunked(r.body);
        if (r.has("content-length")) return take(std::stoull(r.get("content-length")), r.body);
        return read_to_eof(r.body);
    }

    // Open with nothing to read right now (as opposed to closed).
    bool open_and_quiet() {
        char c;
        const ssize_t n = ::recv(fd_, &c, 1, MSG_PEEK | MSG_DONTWAIT);
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }

    std::string pending;

private:
    int fd_ = -1;
    SSL_CTX* ctx_ = nullptr;
    SSL* ssl_ = nullptr;
};

// One server with HTTP and HTTPS, shared by the tests of this fixture; each
// test writes the rules it needs. Its exit at the end must be clean.
class ServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        server_ = new ServerProcess();
        start_error_ = new std::string();
        const std::string d = dir_->path;
        const std::string r = d + "/root";
        ::mkdir((r + "/sub").c_str(), 0755);
        spit(r + "/hello.txt", "hello world\n");
        spit(r + "/gone.txt", "still here\n");
        spit(d + "/outside.txt", "secret");
        ::symlink("../outside.txt", (r + "/link.txt").c_str());
        for (const char* name : {"/stall.bin", "/cut.bin", "/chunked.bin", "/closed.bin"}) {
            spit(r + name, pattern(100000, name[1]));
        }
        spit(r + "/slow.bin", pattern(200000, 7));
        spit(r + "/fast.bin", pattern(20000000, 8));
        set_rules("");
        server_->start(d, {"--https-port-file", d + "/hport", "--cert-out", d + "/cert.pem", "--log", d + "/log",
                           "--rules", d + "/rules"},
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
        spit(path("rules.new"), text);
        ::rename(path("rules.new").c_str(), path("rules").c_str());
    }
    static std::string path(const std::string& name) { return dir_->path + "/" + name; }

    // The log line is written once the response is done, a moment after
    // the client has the last byte.
    static bool logged(const std::string& line) {
        for (const auto t0 = Clock::now(); since(t0) < 3;) {
            if (("\n" + slurp(path("log"))).find("\n" + line + "\n") != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    static Response fetch_once(const std::string& target) {
        Client c;
        Response r;
        EXPECT_TRUE(c.connect(server_->http_port));
        EXPECT_TRUE(c.fetch(target, r)) << target;
        return r;
    }

    static TempDir* dir_;
    static ServerProcess* server_;
    static std::string* start_error_;
};
TempDir* ServerTest::dir_ = nullptr;
ServerProcess* ServerTest::server_ = nullptr;
std::string* ServerTest::start_error_ = nullptr;

TEST_F(ServerTest, RefusesEveryEscapeFromTheRoot) {
    for (const char* escape : {"/../outside.txt", "/%2e%2e/outside.txt", "/sub/..%2f..%2foutside.txt",
                               "/sub/..\\..\\outside.txt", "/link.txt"}) {
        const Response r = fetch_once(escape);
        EXPECT_EQ(r.status, 403) << escape;
        EXPECT_EQ(r.body.find("secret"), std::string::npos) << escape;
    }
    EXPECT_EQ(fetch_once("/sub/../hello.txt").body, "hello world\n");  // stays inside: served
    EXPECT_EQ(fetch_once("/missing.txt").status, 404);
}

TEST_F(ServerTest, StatusAndRedirectRules) {
    set_rules("# faults for this test\n\n/gone.txt status=404\n/boom status=503\n/q.txt status=410\n"
              "/old redirect=/hello.txt\n/moved status=301 redirect=http://localhost:1/x\n");
    Response r = fetch_once("/gone.txt");
    EXPECT_EQ(r.status, 404);
    EXPECT_EQ(r.body, "still here\n");
    EXPECT_TRUE(logged("GET /gone.txt 404 11"));
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
    const Response r = fetch_once("/hello.txt");
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.get("content-length"), "12");
    EXPECT_TRUE(logged("GET /hello.txt 200 12"));
}

TEST_F(ServerTest, BodiesWithoutLength) {
    set_rules("/chunked.bin no-length=1\n/closed.bin no-length=close\n");
    const std::string chunked = slurp(path("root/chunked.bin"));
    Client c;
    ASSERT_TRUE(c.connect(server_->http_port));
    Response r;
    ASSERT_TRUE(c.fetch("/chunked.bin", r));
    EXPECT_EQ(r.get("transfer-encoding"), "chunked");
    EXPECT_FALSE(r.has("content-length"));
    EXPECT_TRUE(r.body == chunked);
    ASSERT_TRUE(c.fetch("/hello.txt", r));  // the chunked answer left the connection usable
    EXPECT_EQ(r.body, "hello world\n");
    EXPECT_TRUE(logged("GET /chunked.bin 200 100000"));

    r = fetch_once("/closed.bin");
    EXPECT_FALSE(r.has("content-length"));
    EXPECT_FALSE(r.has("transfer-encoding"));
    EXPECT_EQ(r.get("connection"), "close");
    EXPECT_TRUE(r.body == slurp(path("root/closed.bin")));

    // An HTTP/1.0 client cannot take chunks, so it gets a close-delimited body.
    Client old;
    ASSERT_TRUE(old.connect(server_->http_port));
    ASSERT_TRUE(old.send("GET /chunked.bin HTTP/1.0\r\n\r\n"));
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
        std::size_t size;
        double half, total;
        bool ok;
    } runs[] = {{"/slow.bin", 200000, 0, 0, false}, {"/fast.bin", 20000000, 0, 0, false}};
    std::vector<std::thread> threads;
    for (auto& run : runs) {
        threads.emplace_back([&run] {
            Client c;
            Response r;
            std::string body;
            const auto t0 = Clock::now();
            if (!c.connect(server_->http_port) || !c.get(run.target) || !c.read_head(r)) return;
            if (!c.take(run.size / 2, body)) return;
            run.half = since(t0);
            run.ok = c.take(run.size - run.size / 2, body);
            run.total = since(t0);
        });
    }
    for (auto& t : threads) t.join();
    // Both take 2 s; half the bytes by about 1 s shows pacing, not a burst.
    for (const auto& run : runs) {
        SCOPED_TRACE(run.target);
        ASSERT_TRUE(run.ok);
        EXPECT_GT(run.total, 1.8);
        EXPECT_LT(run.total, 3.0);
        EXPECT_GT(run.half, 0.75);
        EXPECT_LT(run.half, 1.5);
    }
}

TEST_F(ServerTest, StallAfterHoldsTheSocketOpenWithoutData) {
    set_rules("/stall.bin stall-after=1000\n");
    Client c;
    ASSERT_TRUE(c.connect(server_->http_port));
    ASSERT_TRUE(c.get("/stall.bin"));
    Response r;
    ASSERT_TRUE(c.read_head(r));
    EXPECT_EQ(r.get("content-length"), "100000");
    std::string part;
    ASSERT_TRUE(c.take(1000, part));
    EXPECT_TRUE(part == slurp(path("root/stall.bin")).substr(0, 1000));
    EXPECT_TRUE(c.pending.empty());
    EXPECT_EQ(c.fill(1000), -1);
    EXPECT_TRUE(c.open_and_quiet());
    EXPECT_TRUE(logged("GET /stall.bin 200 1000"));
    EXPECT_EQ(fetch_once("/hello.txt").status, 200);  // other clients are still served meanwhile
}

TEST_F(ServerTest, CloseAfterEndsTheBodyEarly) {
    set_rules("/cut.bin close-after=3000\n");
    const std::string full = slurp(path("root/cut.bin"));
    for (bool tls : {false, true}) {
        SCOPED_TRACE(tls ? "https" : "http");
        Client c;
        ASSERT_TRUE(tls ? c.connect(server_->https_port, path("cert.pem")) : c.connect(server_->http_port));
        ASSERT_TRUE(c.get("/cut.bin"));
        Response r;
        ASSERT_TRUE(c.read_head(r));
        EXPECT_EQ(r.get("content-length"), "100000");
        ASSERT_TRUE(c.read_to_eof(r.body));
        EXPECT_TRUE(r.body == full.substr(0, 3000)) << "got " << r.body.size() << " bytes";
    }
    EXPECT_TRUE(logged("GET /cut.bin 200 3000"));
}

TEST_F(ServerTest, LengthAnnouncesOtherThanTheBodyAndCloses) {
    set_rules("/cut.bin length=100\n/hello.txt length=4000\n");
    const std::string full = slurp(path("root/cut.bin"));
    Client c;
    ASSERT_TRUE(c.connect(server_->http_port));
    ASSERT_TRUE(c.get("/cut.bin"));
    Response r;
    ASSERT_TRUE(c.read_head(r));
    EXPECT_EQ(r.get("content-length"), "100");
    EXPECT_EQ(r.get("connection"), "close");
    ASSERT_TRUE(c.read_to_eof(r.body));
    EXPECT_TRUE(r.body == full) << "got " << r.body.size() << " bytes";
    EXPECT_TRUE(logged("GET /cut.bin 200 100000"));
    // More announced than there is: the body ends with the connection.
    Client d;
    ASSERT_TRUE(d.connect(server_->http_port));
    ASSERT_TRUE(d.get("/hello.txt"));
    Response more;
    ASSERT_TRUE(d.read_head(more));
    EXPECT_EQ(more.get("content-length"), "4000");
    ASSERT_TRUE(d.read_to_eof(more.body));
    EXPECT_EQ(more.body, "hello world\n");
    set_rules("");
}

TEST_F(ServerTest, HttpsWithTheWrittenCertificateForNameAndAddress) {
    set_rules("/chunked.bin no-length=1\n");
    for (const char* host : {"localhost", "127.0.0.1"}) {
        SCOPED_TRACE(host);
        Client c;
        ASSERT_TRUE(c.connect(server_->https_port, path("cert.pem"), host));
        Response r;
        ASSERT_TRUE(c.fetch("/hello.txt", r));
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.body, "hello world\n");
        ASSERT_TRUE(c.fetch("/chunked.bin", r));
        EXPECT_TRUE(r.body == slurp(path("root/chunked.bin")));
    }
}

// A server of a test's own, for start and stop behaviour: its root holds
// f.bin and its rules file has `rules`.
bool start_own(TempDir& dir, ServerProcess& server, std::size_t file_size, const std::string& rules,
               std::vector<std::string> args, std::string& why) {
    spit(dir.path + "/root/f.bin", pattern(file_size, 3));
    spit(dir.path + "/rules", rules);
    args.insert(args.end(), {"--rules", dir.path + "/rules"});
    return server.start(dir.path, args, why);
}

TEST(ServerLifecycle, IdleExitWaitsForRunningTransfers) {
    TempDir dir;
    ServerProcess server;
    std::string why;
    ASSERT_TRUE(start_own(dir, server, 250000, "/f.bin rate=100000\n", {"--idle-exit", "1"}, why)) << why;

    // A 2.5 s transfer outlives the 1 s idle limit and still completes.
    Client c;
    ASSERT_TRUE(c.connect(server.http_port));
    Response r;
    ASSERT_TRUE(c.fetch("/f.bin", r));
    EXPECT_EQ(r.body.size(), 250000u);

    const auto t0 = Clock::now();
    int status = -1;
    ASSERT_TRUE(server.wait_exit(4, &status));
    EXPECT_GT(since(t0), 0.5);
    EXPECT_EQ(server.exit_problem(status), "");
    Client late;
    EXPECT_FALSE(late.connect(server.http_port));
}

TEST(ServerLifecycle, SigtermEndsStalledConnectionsAndExitsCleanly) {
    TempDir dir;
    ServerProcess server;
    std::string why;
    ASSERT_TRUE(start_own(dir, server, 5000, "/f.bin stall-after=10\n", {}, why)) << why;
    Client stalled, idle;
    ASSERT_TRUE(stalled.connect(server.http_port));
    ASSERT_TRUE(idle.connect(server.http_port));
    ASSERT_TRUE(stalled.get("/f.bin"));
    Response r;
    ASSERT_TRUE(stalled.read_head(r));
    std::string part;
    ASSERT_TRUE(stalled.take(10, part));

    ::kill(server.pid(), SIGTERM);
    int status = -1;
    ASSERT_TRUE(server.wait_exit(3, &status));
    EXPECT_EQ(server.exit_problem(status), "");
    EXPECT_TRUE(stalled.read_to_eof(part));
}

}  // namespace
