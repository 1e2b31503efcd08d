#include "http_handler.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "conn.h"
#include "paths.h"
#include "rules.h"
#include "server_state.h"

namespace ts {
namespace {

constexpr std::size_t kMaxHead = 16 * 1024;
constexpr std::uint64_t kMaxRequestBody = 1 << 20;
constexpr int kKeepAliveMs = 60 * 1000;  // idle time between requests
constexpr int kHeadMs = 10 * 1000;       // rest of a request once it began
constexpr int kLingerMs = 2000;
constexpr std::size_t kPlainChunk = 64 * 1024;
constexpr std::size_t kTlsChunk = 16 * 1024;
constexpr std::size_t kPacedChunkMax = 16 * 1024;
constexpr std::size_t kFrameRoom = 24;  // chunk-size line in front of the data

struct Request {
    std::string method;
    std::string target;
    bool http11 = true;
    bool keep_alive = true;
    std::uint64_t content_length = 0;
};

enum class ReadResult { Ok, Closed, Malformed, TooLarge, Unsupported };

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

const char* reason_phrase(int status) {
    switch (status) {
        case 200: return "OK";
        case 201: return "Created";
        case 202: return "Accepted";
        case 204: return "No Content";
        case 206: return "Partial Content";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 303: return "See Other";
        case 304: return "Not Modified";
        case 307: return "Temporary Redirect";
        case 308: return "Permanent Redirect";
        case 400: return "Bad Request";
        case 401: return "Unauthorized";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 405: return "Method Not Allowed";
        case 407: return "Proxy Authentication Required";
        case 408: return "Request Timeout";
        case 410: return "Gone";
        case 413: return "Content Too Large";
        case 416: return "Range Not Satisfiable";
        case 429: return "Too Many Requests";
        case 431: return "Request Header Fields Too Large";
        case 500: return "Internal Server Error";
        case 501: return "Not Implemented";
        case 502: return "Bad Gateway";
        case 503: return "Service Unavailable";
        case 504: return "Gateway Timeout";
        default: return "Status";
    }
}

std::string http_date() {
    char buf[64];
    const std::time_t now = std::time(nullptr);
    std::tm tm {};
    gmtime_r(&now, &tm);
    const std::size_t n = std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S GMT", &tm);
    return std::string(buf, n);
}

bool parse_head(const std::string& head, Request& req) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos <= head.size()) {
        auto nl = head.find('\n', pos);
        if (nl == std::string::npos) nl = head.size();
        std::string line = head.substr(pos, nl - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        pos = nl + 1;
    }
    if (lines.empty()) return false;

    const std::string& start = lines[0];
    const auto s1 = start.find(' ');
    const auto s2 = s1 == std::string::npos ? s1 : start.find(' ', s1 + 1);
    if (s1 == std::string::npos || s2 == std::string::npos || s1 == 0 || s2 == s1 + 1 ||
        start.find(' ', s2 + 1) != std::string::npos) {
        return false;
    }
    req.method = start.substr(0, s1);
    req.target = start.substr(s1 + 1, s2 - s1 - 1);
    const std::string version = start.substr(s2 + 1);
    if (version.compare(0, 7, "HTTP/1.") != 0 || version.size() != 8) return false;
    req.http11 = version != "HTTP/1.0";

    bool saw_length = false;
    bool saw_close = false;
    bool saw_keep_alive = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.empty()) continue;
        if (line[0] == ' ' || line[0] == '\t') return false;  // folded header
        const auto colon = line.find(':');
        if (colon == std::string::npos || colon == 0) return false;
        const std::string name = lower(line.substr(0, colon));
        const std::string value = trim(line.substr(colon + 1));
        if (name == "connection") {
            std::size_t p = 0;
            while (p <= value.size()) {
                auto comma = value.find(',', p);
                if (comma == std::string::npos) comma = value.size();
                const std::string token = lower(trim(value.substr(p, comma - p)));
                saw_close = saw_close || token == "close";
                saw_keep_alive = saw_keep_alive || token == "keep-alive";
                p = comma + 1;
            }
        } else if (name == "content-length") {
            if (saw_length || value.empty() || value.size() > 19 ||
                value.find_first_not_of("0123456789") != std::string::npos) {
                return false;
            }
            saw_length = true;
            req.content_length = std::stoull(value);
        } else if (name == "transfer-encoding") {
            req.content_length = UINT64_MAX;  // marks a request body we won't take
        }
    }
    req.keep_alive = !saw_close && (req.http11 || saw_keep_alive);
    return true;
}

// Reads one request head (and drops any body). `buf` carries bytes already
// received past the previous request, so pipelined requests work.
ReadResult read_request(ServerState& st, Conn& conn, std::string& buf, Request& req) {
    char tmp[8192];
    for (;;) {
        // Clients may send blank lines between requests.
        const auto first = buf.find_first_not_of("\r\n");
        buf.erase(0, first == std::string::npos ? buf.size() : first);
        std::size_t end = std::string::npos;
        std::size_t sep = 0;
        const auto crlf = buf.find("\r\n\r\n");
        const auto lflf = buf.find("\n\n");
        if (crlf != std::string::npos && (lflf == std::string::npos || crlf < lflf)) {
            end = crlf;
            sep = 4;
        } else if (lflf != std::string::npos) {
            end = lflf;
            sep = 2;
        }
        if (end != std::string::npos) {
            const std::string head = buf.substr(0, end);
            buf.erase(0, end + sep);
            if (!parse_head(head, req)) return ReadResult::Malformed;
            break;
        }
        if (buf.size() > kMaxHead) return ReadResult::TooLarge;
        if (st.stopping()) return ReadResult::Closed;
        const int ready = conn.wait_readable(buf.empty() ? kKeepAliveMs : kHeadMs);
        if (ready <= 0) return ReadResult::Closed;
        const ssize_t n = conn.recv_some(tmp, sizeof tmp);
        if (n <= 0) return ReadResult::Closed;
        buf.append(tmp, static_cast<std::size_t>(n));
    }

    if (req.content_length == UINT64_MAX) return ReadResult::Unsupported;
    if (req.content_length > kMaxRequestBody) return ReadResult::TooLarge;
    std::uint64_t left = req.content_length;
    const std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>(left, buf.size()));
    buf.erase(0, have);
    left -= have;
    while (left > 0) {
        if (conn.wait_readable(kHeadMs) <= 0) return ReadResult::Closed;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof tmp));
        const ssize_t n = conn.recv_some(tmp, want);
        if (n <= 0) return ReadResult::Closed;
        left -= static_cast<std::uint64_t>(n);
    }
    return ReadResult::Ok;
}

// Response body: an open file or a short text.
class Body {
public:
    Body() = default;
    ~Body() {
        if (fd_ >= 0) ::close(fd_);
    }
    Body(const Body&) = delete;
    Body& operator=(const Body&) = delete;

    void set_file(int fd, std::uint64_t size) {
        fd_ = fd;
        size_ = size;
    }
    void set_text(std::string text) {
        text_ = std::move(text);
        size_ = text_.size();
    }
    int fd() const { return fd_; }
    std::uint64_t size() const { return size_; }

    // Copies exactly n bytes at `off` into dst; false if the file fell short.
    bool read_at(std::uint64_t off, char* dst, std::size_t n) const {
        if (fd_ < 0) {
            if (off > text_.size() || n > text_.size() - off) return false;
            std::memcpy(dst, text_.data() + off, n);
            return true;
        }
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::pread(fd_, dst + got, n - got, static_cast<off_t>(off + got));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) return false;
            got += static_cast<std::size_t>(r);
        }
        return true;
    }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::string text_;
};

struct SendResult {
    std::uint64_t body_bytes = 0;
    bool ok = true;
};

// Sends body bytes [0, limit). With `rate` set the bytes follow a schedule
// where byte k may leave no earlier than k / rate seconds after the start: a
// token bucket that starts empty and holds at most one chunk, so the whole
// body takes size / rate however the chunks fall.
SendResult send_body(ServerState& st, Conn& conn, const Body& body, std::uint64_t limit,
                     std::uint64_t rate, bool chunked) {
    SendResult out;
    if (limit == 0) return out;
    if (rate == 0 && !chunked && !conn.is_tls() && body.fd() >= 0) {
        out.body_bytes = conn.send_file(body.fd(), 0, limit, &out.ok);
        return out;
    }

    std::size_t chunk = conn.is_tls() ? kTlsChunk - (chunked ? 32 : 0) : kPlainChunk;
    if (rate > 0) {
        // About twenty pieces a second keeps slow rates smooth as well.
        chunk = static_cast<std::size_t>(std::clamp<std::uint64_t>(rate / 20, 1, kPacedChunkMax));
    }
    std::vector<char> buf(kFrameRoom + chunk + 2);
    const auto start = ServerState::Clock::now();
    while (out.body_bytes < limit) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk, limit - out.body_bytes));
        if (rate > 0) {
            const double due = static_cast<double>(out.body_bytes + n) / static_cast<double>(rate);
            const auto deadline = start + std::chrono::duration_cast<ServerState::Clock::duration>(
                                              std::chrono::duration<double>(due));
            if (!st.sleep_until(deadline)) {
                out.ok = false;
                break;
            }
        }
        char* data = buf.data() + kFrameRoom;
        if (!body.read_at(out.body_bytes, data, n)) {
            out.ok = false;
            break;
        }
        char* first = data;
        std::size_t len = n;
        if (chunked) {
            char line[kFrameRoom];
            const int h = std::snprintf(line, sizeof line, "%zx\r\n", n);
            first = data - h;
            std::memcpy(first, line, static_cast<std::size_t>(h));
            std::memcpy(data + n, "\r\n", 2);
            len = static_cast<std::size_t>(h) + n + 2;
        }
        std::size_t written = 0;
        const bool ok = conn.send_all(first, len, &written);
        const std::size_t lead = static_cast<std::size_t>(data - first);
        out.body_bytes += written > lead ? std::min(written - lead, n) : 0;
        if (!ok) {
            out.ok = false;
            break;
        }
    }
    return out;
}

enum class Cut { None, Stall, Close };

struct Plan {
    int status = 200;
    const char* content_type = "text/plain";
    std::vector<std::pair<std::string, std::string>> headers;
    Body body;
    bool broken = false;  // the request itself was bad: end the connection
};

void plan_text(Plan& plan, int status) {
    plan.status = status;
    plan.content_type = "text/plain";
    plan.body.set_text(std::to_string(status) + " " + reason_phrase(status) + "\n");
}

// Decides status, headers and body of the answer before any byte goes out.
void make_plan(ServerState& st, const Request& req, const std::string& raw_path, const Rule* rule,
               Plan& plan) {
    if (req.method != "GET" && req.method != "HEAD") {
        plan_text(plan, 405);
        plan.headers.emplace_back("Allow", "GET, HEAD");
        return;
    }
    if (rule != nullptr && !rule->redirect.empty()) {
        plan.status = rule->status >= 300 && rule->status < 400 ? rule->status : 302;
        plan.headers.emplace_back("Location", rule->redirect);
        plan.body.set_text("Redirecting to " + rule->redirect + "\n");
        return;
    }
    std::string decoded;
    if (!url_decode(raw_path, decoded)) {
        plan_text(plan, 400);
        plan.broken = true;
        return;
    }
    FileHit hit = open_under_root(st.root(), decoded);
    const int natural = hit.kind == Lookup::Found ? 200 : hit.kind == Lookup::Forbidden ? 403 : 404;
    const int status = rule != nullptr && rule->status != 0 ? rule->status : natural;
    if (hit.kind == Lookup::Found) {
        plan.status = status;
        plan.content_type = content_type_for(hit.fs_path);
        if (rule != nullptr && !rule->encoding.empty()) {
            plan.headers.emplace_back("Content-Encoding", rule->encoding);
        }
        plan.body.set_file(hit.fd, hit.size);
    } else {
        plan_text(plan, status);
    }
}

// Answers one request; returns whether the connection stays open.
bool answer(ServerState& st, Conn& conn, const Request& req) {
    std::string raw_path;
    Plan plan;
    const Rule* rule = nullptr;
    std::shared_ptr<const RuleMap> rules;
    if (!target_path(req.target, raw_path)) {
        raw_path = req.target;
        plan_text(plan, 400);
        plan.broken = true;
    } else {
        if (st.rules() != nullptr) {
            rules = st.rules()->current();
            auto it = rules->find(raw_path);
            std::string decoded;
            if (it == rules->end() && url_decode(raw_path, decoded)) it = rules->find(decoded);
            if (it != rules->end()) rule = &it->second;
        }
        make_plan(st, req, raw_path, rule, plan);
    }

    const bool head_only = req.method == "HEAD";
    const bool bodiless_status = plan.status == 204 || plan.status == 304;
    const std::uint64_t total = bodiless_status ? 0 : plan.body.size();
    // A wrong announced length is a framing of its own: no chunks, no
    // close-delimited body, and no keep-alive after the body.
    const bool lying_length = rule != nullptr && rule->length.has_value() && !bodiless_status;
    const NoLength framing_rule =
        rule != nullptr && !lying_length ? rule->no_length : NoLength::Off;
    const bool chunked = framing_rule == NoLength::Chunked && req.http11 && !bodiless_status;
    const bool close_delimited =
        !bodiless_status && (framing_rule == NoLength::Close ||
                             (framing_rule == NoLength::Chunked && !req.http11));

    Cut cut = Cut::None;
    std::uint64_t limit = head_only ? 0 : total;
    if (!head_only && rule != nullptr) {
        if (rule->stall_after && *rule->stall_after < limit) {
            limit = *rule->stall_after;
            cut = Cut::Stall;
        }
        if (rule->close_after && *rule->close_after < limit) {
            limit = *rule->close_after;
            cut = Cut::Close;
        }
    }
    const bool keep = req.keep_alive && !close_delimited && !plan.broken && !lying_length;

    std::string head = "HTTP/1.1 " + std::to_string(plan.status) + " " + reason_phrase(plan.status) +
                       "\r\nDate: " + http_date() + "\r\nServer: wevelink-testserver\r\n";
    // No client cache may answer a repeated request: fault tests count on
    // every request reaching the server.
    head += "Cache-Control: no-store\r\n";
    if (!bodiless_status) head += std::string("Content-Type: ") + plan.content_type + "\r\n";
    for (const auto& h : plan.headers) head += h.first + ": " + h.second + "\r\n";
    if (chunked) {
        head += "Transfer-Encoding: chunked\r\n";
    } else if (lying_length) {
        head += "Content-Length: " + std::to_string(*rule->length) + "\r\n";
    } else if (!close_delimited && !bodiless_status) {
        head += "Content-Length: " + std::to_string(total) + "\r\n";
    }
    if (!keep) {
        head += "Connection: close\r\n";
    } else if (!req.http11) {
        head += "Connection: keep-alive\r\n";
    }
    head += "\r\n";

    BusyGuard busy(st);
    SendResult sent;
    sent.ok = conn.send_all(head.data(), head.size(), nullptr, limit > 0);
    if (sent.ok) {
        sent = send_body(st, conn, plan.body, limit, rule != nullptr ? rule->rate : 0, chunked);
    }
    if (sent.ok && cut == Cut::None && chunked && !head_only) {
        sent.ok = conn.send_all("0\r\n\r\n", 5, nullptr);
    }
    st.log_request(req.method, raw_path, plan.status, sent.body_bytes);
    busy.release();

    if (!sent.ok) {
        conn.finish(true, 0);
        return false;
    }
    switch (cut) {
        case Cut::Stall:
            conn.wait_for_peer_close();
            return false;
        case Cut::Close:
            // No TLS close_notify: the cut should look like a lost connection.
            conn.finish(true, kLingerMs);
            return false;
        case Cut::None:
            break;
    }
    if (!keep) {
        conn.finish(false, kLingerMs);
        return false;
    }
    return true;
}

void answer_broken_request(ServerState& st, Conn& conn, int status) {
    const std::string body = std::to_string(status) + " " + reason_phrase(status) + "\n";
    const std::string msg = "HTTP/1.1 " + std::to_string(status) + " " + reason_phrase(status) +
                            "\r\nDate: " + http_date() +
                            "\r\nServer: wevelink-testserver\r\nContent-Type: text/plain\r\n"
                            "Content-Length: " +
                            std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    const bool ok = conn.send_all(msg.data(), msg.size(), nullptr);
    st.log_request("-", "-", status, ok ? body.size() : 0);
    conn.finish(false, kLingerMs);
}

}  // namespace

void serve_connection(ServerState& st, Conn& conn) {
    std::string buf;
    while (!st.stopping()) {
        Request req;
        const ReadResult r = read_request(st, conn, buf, req);
        if (r == ReadResult::Closed) return;
        st.note_activity();
        if (r == ReadResult::Malformed) return answer_broken_request(st, conn, 400);
        if (r == ReadResult::TooLarge) return answer_broken_request(st, conn, 413);
        if (r == ReadResult::Unsupported) return answer_broken_request(st, conn, 501);
        if (!answer(st, conn, req)) return;
    }
}

}  // namespace ts
