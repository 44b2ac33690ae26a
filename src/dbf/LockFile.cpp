#include "LockFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace dbf {

LockFile::~LockFile() { close(); }

LockFile::LockFile(LockFile &&other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path)), m_error(std::move(other.m_error))
{
    other.m_fd = -1;
}

LockFile &LockFile::operator=(LockFile &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        m_error = std::move(other.m_error);
        other.m_fd = -1;
    }
    return *this;
}

bool LockFile::open(const std::string &path)
{
    close();
    m_path = path;
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        m_error = "cannot open lock file " + path + ": " + std::strerror(errno);
        return false;
    }
    m_error.clear();
    return true;
}

void LockFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

static bool setLock(int fd, std::uint64_t offset, short type, std::string &error, bool &busy)
{
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = 1;
    fl.l_pid = 0;
#ifdef F_OFD_SETLK
    const int cmd = F_OFD_SETLK;
#else
#error "open-file-description locks are required"
#endif
    busy = false;
    if (::fcntl(fd, cmd, &fl) == 0)
        return true;
    if (errno == EAGAIN || errno == EACCES || errno == EINTR) {
        busy = true;
        return false;
    }
    error = std::string("lock failed: ") + std::strerror(errno);
    return false;
}

bool LockFile::lock(std::uint64_t offset, Mode mode, std::chrono::milliseconds timeout)
{
    if (m_fd < 0) {
        m_error = "lock file is not open";
        return false;
    }
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + timeout;
    auto pause = std::chrono::microseconds(200);
    for (;;) {
        bool busy = false;
        if (setLock(m_fd, offset, mode == Mode::Shared ? F_RDLCK : F_WRLCK, m_error, busy))
            return true;
        if (!busy)
            return false;
        if (clock::now() >= deadline) {
            m_error = "the lock is held by another program: " + m_path;
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(50000));
    }
}

void LockFile::unlock(std::uint64_t offset)
{
    if (m_fd < 0)
        return;
    std::string ignored;
    bool busy = false;
    setLock(m_fd, offset, F_UNLCK, ignored, busy);
}

} // namespace dbf
