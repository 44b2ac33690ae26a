#pragma once
// Byte-range locks on a control file shared by every program that uses one Data
// directory (possibly from several workstations over a network file system).
//
// Locks are open-file-description locks: they belong to this LockFile object, so two
// objects in one process exclude each other like two programs do, and closing one object
// never drops the locks of another. Waiting is non-blocking with back-off and a time-out:
// a blocking wait on a network file system could hang the program.

#include <chrono>
#include <cstdint>
#include <string>

namespace dbf {

class LockFile {
public:
    // Well-known lock bytes, beyond any data so readers of the file's first bytes (the
    // change counters) are never blocked.
    static constexpr std::uint64_t kSession = 0x40000000; // shared while running; exclusive for pack/upgrade
    static constexpr std::uint64_t kDb = 0x40000001;      // shared to read, exclusive to write
    static constexpr std::uint64_t kSettings = 0x40000002; // exclusive around settings read-modify-write

    enum class Mode { Shared, Exclusive };

    LockFile() = default;
    ~LockFile();
    LockFile(const LockFile &) = delete;
    LockFile &operator=(const LockFile &) = delete;
    LockFile(LockFile &&other) noexcept;
    LockFile &operator=(LockFile &&other) noexcept;

    // Opens (creating when missing) the control file. False with `error()` set on failure.
    bool open(const std::string &path);
    bool isOpen() const { return m_fd >= 0; }
    void close();

    // Takes the lock on one byte, retrying until `timeout` has passed (zero: one try).
    // False when another holder keeps it (or on an I/O error; see error()).
    bool lock(std::uint64_t offset, Mode mode,
              std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));
    void unlock(std::uint64_t offset);

    const std::string &path() const { return m_path; }
    const std::string &error() const { return m_error; }
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
    std::string m_path;
    std::string m_error;
};

// Holds one lock for a scope.
class ScopedLock {
public:
    ScopedLock(LockFile &file, std::uint64_t offset, LockFile::Mode mode,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(10000))
        : m_file(file), m_offset(offset), m_locked(file.lock(offset, mode, timeout)) {}
    ~ScopedLock() { if (m_locked) m_file.unlock(m_offset); }
    ScopedLock(const ScopedLock &) = delete;
    ScopedLock &operator=(const ScopedLock &) = delete;
    bool locked() const { return m_locked; }

private:
    LockFile &m_file;
    std::uint64_t m_offset;
    bool m_locked;
};

} // namespace dbf
