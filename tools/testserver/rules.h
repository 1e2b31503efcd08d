// Per-path fault rules read from the --rules file.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ts {

enum class NoLength { Off, Chunked, Close };

struct Rule {
    int status = 0;                          // 0: whatever the file lookup gives
    std::uint64_t rate = 0;                  // body bytes per second, 0: unpaced
    std::optional<std::uint64_t> stall_after;
    std::optional<std::uint64_t> close_after;
    NoLength no_length = NoLength::Off;
    std::string redirect;                    // Location target, empty: none
    // Content-Length announced instead of the body's size; the whole body
    // is still sent and the connection closed after it.
    std::optional<std::uint64_t> length;
    std::string encoding;                    // Content-Encoding said of the body as it is
};

using RuleMap = std::map<std::string, Rule>;

// Parses the whole file text; bad lines or keys are skipped and described
// in `warnings` so a typo in a test's rules shows up on stderr.
RuleMap parse_rules(const std::string& text, std::vector<std::string>& warnings);

// Re-reads the rules file whenever it changes on disk, so a test can rewrite
// rules between requests without restarting the server.
class RulesStore {
public:
    explicit RulesStore(std::string path) : path_(std::move(path)) {}
    std::shared_ptr<const RuleMap> current();

private:
    struct Stamp {
        bool present = false;
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        std::int64_t mtime_ns = 0;
        std::int64_t ctime_ns = 0;
        bool operator==(const Stamp& o) const {
            return present == o.present && dev == o.dev && ino == o.ino && size == o.size &&
                   mtime_ns == o.mtime_ns && ctime_ns == o.ctime_ns;
        }
    };

    std::string path_;
    std::mutex mu_;
    bool loaded_ = false;
    Stamp stamp_;
    std::shared_ptr<const RuleMap> rules_ = std::make_shared<RuleMap>();
};

}  // namespace ts
