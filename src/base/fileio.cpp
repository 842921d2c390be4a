#include "base/fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/error.h"

namespace kestrun {

std::unique_ptr<std::ifstream> OpenFileRead(const std::filesystem::path& path) {
    const std::string& sys = path.native();
    struct stat st {};
    // Regular files only: a folder opens as a stream and then fails every read, and a FIFO or
    // a device such as /dev/zero would block the open or never end.
    if (sys.empty()) RaiseCannotOpenFile(path, std::strerror(ENOENT));
    if (::stat(sys.c_str(), &st) != 0) RaiseCannotOpenFile(path, std::strerror(errno));
    if (S_ISDIR(st.st_mode)) RaiseCannotOpenFile(path, std::strerror(EISDIR));
    if (!S_ISREG(st.st_mode)) RaiseCannotOpenFile(path, "not a regular file");
    auto in = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!in->is_open()) RaiseCannotOpenFile(path, std::strerror(errno));
    return in;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    auto in = OpenFileRead(path);
    std::string bytes;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec) bytes.reserve(static_cast<std::size_t>(size));
    // Read on to the end: a file may grow while it is read, and procfs tells no size at all.
    char chunk[65536];
    while (in->read(chunk, sizeof chunk) || in->gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in->gcount()));
    return bytes;
}

namespace {

// The longest file name most file systems take (NAME_MAX).
constexpr std::size_t kMaxNameBytes = 255;

// Writes everything; false with errno set when a write fails.
bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// The file a chain of symbolic links ends in, so that a save through a link replaces the file
// and keeps the link; a link to a missing file names the file to create. A loop of links is
// left for the open to report.
std::string FinalTarget(std::string sys) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(sys.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return sys;
        std::error_code ec;
        std::filesystem::path to = std::filesystem::read_symlink(sys, ec);
        if (ec) return sys;
        if (to.is_relative()) to = std::filesystem::path(sys).parent_path() / to;
        sys = to.string();
    }
    return sys;
}

// Writes into an existing file without creating another: for devices and FIFOs, which a
// rename would replace by a regular file, and for files in folders that take no new file.
void WriteInPlace(const std::string& sys, const std::filesystem::path& path, std::string_view bytes,
                  bool truncate) {
    // Non-blocking open: a FIFO without a reader fails at once instead of waiting for one.
    int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK | (truncate ? O_TRUNC : 0);
    int fd = ::open(sys.c_str(), flags);
    if (fd < 0) RaiseCannotCreateFile(path, std::strerror(errno));
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    bool ok = WriteAll(fd, bytes);
    // Devices and FIFOs cannot be synchronised (EINVAL); that is no write error.
    if (ok && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS) ok = false;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) RaiseFileError(kMsgStreamWrite, sys, err);
}

// ".NAME.SUFFIX" in `dir`, NAME cut so that the whole stays within the system's limit.
std::string TemporaryName(const std::string& dir, const std::string& base,
                          const std::string& suffix) {
    return dir + "." + base.substr(0, kMaxNameBytes - 2 - suffix.size()) + "." + suffix;
}

// A new file in `dir` that nobody else can see: an unnamed one (O_TMPFILE) where the file
// system has them, so that a save killed half-way leaves nothing behind; else a hidden one
// with a random suffix, its name cut to the system's limit. `name` is empty for the unnamed.
int CreateTemporary(const std::string& dir, const std::string& base, mode_t mode,
                    std::string& name) {
    name.clear();
    int fd = -1;
#ifdef O_TMPFILE
    // The unnamed file is named later through /proc, so it needs /proc.
    if (::access("/proc/self/fd", X_OK) == 0) {
        fd = ::open(dir.empty() ? "." : dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return -1;
    }
#endif
    if (fd < 0) {
        name = TemporaryName(dir, base, "XXXXXX");
        fd = ::mkostemp(name.data(), O_CLOEXEC);
    }
    // The umask has cut the mode at creation; the replaced file's mode is what counts.
    if (fd >= 0) ::fchmod(fd, mode);
    return fd;
}

// Gives a complete unnamed temporary file a random hidden name next to the target, for the
// rename that replaces the target in one step.
bool NameTemporary(int fd, const std::string& dir, const std::string& base, std::string& name) {
    static constexpr char kLetters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(6, '0');
        for (char& c : suffix) c = kLetters[rd() % 36];
        name = TemporaryName(dir, base, suffix);
        if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) break;
    }
    name.clear();
    return false;
}

void SyncFolder(const std::string& dir) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // The rename is done; a folder that cannot be synchronised keeps it all the same.
    ::fsync(fd);
    ::close(fd);
}

} // namespace

void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    const std::string& given = path.native();
    if (given.empty()) RaiseCannotCreateFile(path, std::strerror(ENOENT));
    const std::string sys = FinalTarget(given);
    struct stat st {};
    const bool exists = ::stat(sys.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) RaiseCannotCreateFile(path, std::strerror(EISDIR));
    if (exists && !S_ISREG(st.st_mode)) {
        WriteInPlace(sys, path, bytes, false);
        return;
    }
    std::string dir, base = sys;
    const std::size_t slash = sys.find_last_of('/');
    if (slash != std::string::npos) {
        dir = sys.substr(0, slash + 1);
        base = sys.substr(slash + 1);
    }
    // A replaced file keeps its mode (and, for root, its owner); a new one gets the default.
    mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = exists ? (st.st_mode & 07777) : (0666 & ~mask);

    std::string tmp;
    int fd = CreateTemporary(dir, base, mode, tmp);
    if (fd < 0) {
        // A folder that takes no new file may still hold a writable file.
        if (exists && (errno == EACCES || errno == EPERM)) {
            WriteInPlace(sys, path, bytes, true);
            return;
        }
        RaiseCannotCreateFile(path, std::strerror(errno));
    }
    if (exists && ::geteuid() == 0 && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // The saver then owns the file; its content is what matters.
    }
    bool ok = WriteAll(fd, bytes);
    // On the disk before the rename: after a power loss the name holds the old file or the new
    // one, never an empty one.
    if (ok && ::fsync(fd) != 0) ok = false;
    if (ok && tmp.empty() && !NameTemporary(fd, dir, base, tmp)) ok = false;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmp.c_str(), sys.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        if (!tmp.empty()) ::unlink(tmp.c_str());
        RaiseFileError(kMsgStreamWrite, given, err);
    }
    SyncFolder(dir);
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    const std::string& sys = path.native();
    int fd = sys.empty() ? -1 : ::open(sys.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) RaiseCannotCreateFile(path, std::strerror(sys.empty() ? ENOENT : errno));
    bool ok = WriteAll(fd, bytes);
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) RaiseFileError(kMsgStreamWrite, sys, err);
}

std::filesystem::path ExePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return p;
}

std::filesystem::path ExeDir() {
    std::filesystem::path exe = ExePath();
    return exe.empty() ? std::filesystem::path(".") : exe.parent_path();
}

bool FileExists(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsReadOnlyFile(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    return (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

} // namespace kestrun
