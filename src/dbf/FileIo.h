#pragma once
// Positioned writes that finish or throw (the platform layer of the dBase engine).

#include "dbf/Dbf.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include <unistd.h>

namespace dbf {

// Writes all `size` bytes at `offset`, retrying short writes and interruptions. Throws
// dbf::Error naming `path` on failure.
inline void pwriteAll(int fd, const char *data, std::size_t size, std::uint64_t offset, const std::string &path)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error("cannot write " + path + ": " + std::strerror(errno));
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
}

} // namespace dbf
