#include "rules.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sstream>

namespace ts {
namespace {

constexpr std::size_t kMaxRulesFile = 1 << 20;

bool parse_u64(const std::string& s, std::uint64_t& out) {
    if (s.empty() || s.size() > 19) return false;
    std::uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    out = v;
    return true;
}

bool apply_key(const std::string& key, const std::string& value, Rule& rule, std::string& why) {
    std::uint64_t n = 0;
    if (key == "status") {
        if (!parse_u64(value, n) || n < 200 || n > 599) {
            why = "status must be 200..599";
            return false;
        }
        rule.status = static_cast<int>(n);
    } else if (key == "rate") {
        if (!parse_u64(value, n) || n == 0) {
            why = "rate must be a positive byte count per second";
            return false;
        }
        rule.rate = n;
    } else if (key == "stall-after") {
        if (!parse_u64(value, n)) {
            why = "stall-after must be a byte count";
            return false;
        }
        rule.stall_after = n;
    } else if (key == "close-after") {
        if (!parse_u64(value, n)) {
            why = "close-after must be a byte count";
            return false;
        }
        rule.close_after = n;
    } else if (key == "no-length") {
        if (value == "1" || value == "chunked") {
            rule.no_length = NoLength::Chunked;
        } else if (value == "close") {
            rule.no_length = NoLength::Close;
        } else if (value == "0") {
            rule.no_length = NoLength::Off;
        } else {
            why = "no-length must be 1, chunked, close or 0";
            return false;
        }
    } else if (key == "length") {
        if (!parse_u64(value, n)) {
            why = "length must be a byte count";
            return false;
        }
        rule.length = n;
    } else if (key == "encoding") {
        // Only said in a header: the body goes as it is on disk.
        if (value.empty() || value.find_first_of("\r\n") != std::string::npos) {
            why = "encoding needs a one-line value";
            return false;
        }
        rule.encoding = value;
    } else if (key == "redirect") {
        // The target goes into a header line as is.
        for (char c : value) {
            if (c == '\r' || c == '\n') {
                why = "redirect target has a line break";
                return false;
            }
        }
        if (value.empty()) {
            why = "redirect needs a target";
            return false;
        }
        rule.redirect = value;
    } else {
        why = "unknown key";
        return false;
    }
    return true;
}

}  // namespace

RuleMap parse_rules(const std::string& text, std::vector<std::string>& warnings) {
    RuleMap rules;
    std::istringstream in(text);
    std::string line;
    int line_no = 0;
    while (std::getline(in, line)) {
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string path;
        if (!(words >> path) || path[0] == '#') continue;
        Rule rule;
        std::string item;
        while (words >> item) {
            const auto eq = item.find('=');
            std::string why;
            if (eq == std::string::npos || eq == 0) {
                why = "expected key=value";
            } else if (apply_key(item.substr(0, eq), item.substr(eq + 1), rule, why)) {
                continue;
            }
            warnings.push_back("line " + std::to_string(line_no) + ": '" + item + "': " + why);
        }
        rules[path] = rule;
    }
    return rules;
}

std::shared_ptr<const RuleMap> RulesStore::current() {
    Stamp now;
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) {
        now.present = true;
        now.dev = st.st_dev;
        now.ino = st.st_ino;
        now.size = st.st_size;
        now.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        now.ctime_ns = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    }

    std::lock_guard<std::mutex> lk(mu_);
    if (loaded_ && now == stamp_) return rules_;

    std::string text;
    if (now.present) {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            char buf[8192];
            while (text.size() < kMaxRulesFile) {
                const std::size_t want = std::min(sizeof buf, kMaxRulesFile - text.size());
                const ssize_t n = ::read(fd, buf, want);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                text.append(buf, static_cast<std::size_t>(n));
            }
            ::close(fd);
        }
    }
    std::vector<std::string> warnings;
    rules_ = std::make_shared<const RuleMap>(parse_rules(text, warnings));
    for (const auto& w : warnings) std::fprintf(stderr, "testserver: rules %s\n", w.c_str());
    stamp_ = now;
    loaded_ = true;
    return rules_;
}

}  // namespace ts
