// Mapping request targets to files under the served root.
#pragma once

#include <cstdint>
#include <string>

namespace ts {

// Cuts the path out of a request target: drops query and fragment and the
// scheme and authority of an absolute-form target. False when the target is
// neither origin-form nor absolute-form.
bool target_path(const std::string& target, std::string& path);

// Decodes %XX escapes. False on a broken escape or an encoded NUL.
bool url_decode(const std::string& in, std::string& out);

enum class Lookup { Found, Forbidden, NotFound };

struct FileHit {
    Lookup kind = Lookup::NotFound;
    int fd = -1;              // open regular file when kind == Found
    std::uint64_t size = 0;
    std::string fs_path;      // the file actually opened
};

// Opens the file a decoded path names under `root_real` (already a real
// path). Anything that would leave the root, by ".." or by a symlink, is
// Forbidden; a directory gives its index.htm or NotFound.
FileHit open_under_root(const std::string& root_real, const std::string& decoded);

const char* content_type_for(const std::string& fs_path);

}  // namespace ts
