#include "paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <strings.h>
#include <vector>

namespace ts {
namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool inside_root(const std::string& root, const std::string& real) {
    if (root == "/") return true;
    return real == root || (real.size() > root.size() && real.compare(0, root.size(), root) == 0 &&
                            real[root.size()] == '/');
}

Lookup lookup_errno(int err) { return err == EACCES || err == EPERM ? Lookup::Forbidden : Lookup::NotFound; }

// Opens `path` after checking where it really leads; only regular files and
// directories are of interest.
FileHit open_checked(const std::string& root, const std::string& path, bool* is_dir) {
    FileHit hit;
    *is_dir = false;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        hit.kind = lookup_errno(errno);
        return hit;
    }
    std::string real(resolved);
    std::free(resolved);
    if (!inside_root(root, real)) {
        hit.kind = Lookup::Forbidden;
        return hit;
    }
    // O_NONBLOCK so a FIFO dropped into the root cannot hang the thread.
    const int fd = ::open(real.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        hit.kind = lookup_errno(errno);
        return hit;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
        ::close(fd);
        hit.kind = Lookup::NotFound;
        return hit;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        *is_dir = true;
        hit.kind = Lookup::NotFound;
        hit.fs_path = real;
        return hit;
    }
    hit.kind = Lookup::Found;
    hit.fd = fd;
    hit.size = static_cast<std::uint64_t>(st.st_size);
    hit.fs_path = real;
    return hit;
}

}  // namespace

bool target_path(const std::string& target, std::string& path) {
    std::string rest = target;
    if (rest.size() >= 7 && strncasecmp(rest.c_str(), "http://", 7) == 0) {
        rest = rest.substr(7);
    } else if (rest.size() >= 8 && strncasecmp(rest.c_str(), "https://", 8) == 0) {
        rest = rest.substr(8);
    } else if (rest.empty() || rest[0] != '/') {
        return false;
    } else {
        rest.insert(0, "x");  // empty authority, so the common cut below applies
    }
    const auto slash = rest.find_first_of("/?#");
    if (slash == std::string::npos || rest[slash] != '/') {
        path = "/";
        return true;
    }
    path = rest.substr(slash, rest.find_first_of("?#", slash) - slash);
    return true;
}

bool url_decode(const std::string& in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '%') {
            out.push_back(in[i]);
            continue;
        }
        if (in.size() - i < 3) return false;
        const int hi = hex_value(in[i + 1]);
        const int lo = hex_value(in[i + 2]);
        if (hi < 0 || lo < 0 || (hi == 0 && lo == 0)) return false;
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
    }
    return true;
}

FileHit open_under_root(const std::string& root_real, const std::string& decoded) {
    // Resolve dot segments ourselves; a ".." with nothing left to pop is an
    // escape. Backslashes count as separators, as a Windows server would
    // treat them.
    std::vector<std::string> segs;
    std::string seg;
    for (std::size_t i = 0; i <= decoded.size(); ++i) {
        const char c = i < decoded.size() ? decoded[i] : '/';
        if (c != '/' && c != '\\') {
            seg.push_back(c);
            continue;
        }
        if (seg == "..") {
            if (segs.empty()) {
                FileHit hit;
                hit.kind = Lookup::Forbidden;
                return hit;
            }
            segs.pop_back();
        } else if (!seg.empty() && seg != ".") {
            segs.push_back(seg);
        }
        seg.clear();
    }
    std::string path = root_real;
    for (const auto& s : segs) {
        if (path.empty() || path.back() != '/') path.push_back('/');
        path += s;
    }

    bool is_dir = false;
    FileHit hit = open_checked(root_real, path, &is_dir);
    if (!is_dir) return hit;
    FileHit index = open_checked(root_real, hit.fs_path + "/index.htm", &is_dir);
    if (index.kind == Lookup::Found || index.kind == Lookup::Forbidden) return index;
    return FileHit{};
}

const char* content_type_for(const std::string& fs_path) {
    const auto slash = fs_path.rfind('/');
    const auto dot = fs_path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return "application/octet-stream";
    }
    const char* ext = fs_path.c_str() + dot + 1;
    if (strcasecmp(ext, "htm") == 0 || strcasecmp(ext, "html") == 0) return "text/html";
    if (strcasecmp(ext, "ini") == 0 || strcasecmp(ext, "lst") == 0 || strcasecmp(ext, "txt") == 0) {
        return "text/plain";
    }
    return "application/octet-stream";
}

}  // namespace ts
