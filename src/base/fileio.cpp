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
    // A folder opens as a stream on Linux and then fails every read: refuse it here.
    if (sys.empty() || ::stat(sys.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        RaiseCannotOpenFile(path);
    auto in = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!in->is_open()) RaiseCannotOpenFile(path);
    return in;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    auto in = OpenFileRead(path);
    std::ostringstream ss;
    ss << in->rdbuf();
    return ss.str();
}

namespace {

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

} // namespace

void WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    const std::string& sys = path.native();
    if (sys.empty()) RaiseCannotCreateFile(path);
    struct stat st {};
    if (::stat(sys.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) RaiseCannotCreateFile(path);
    std::string dir;
    std::size_t slash = sys.find_last_of('/');
    if (slash != std::string::npos) dir = sys.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? sys : sys.substr(slash + 1);
    std::string tmp = dir + "." + base + ".XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) RaiseCannotCreateFile(path);
    // Keep the mode that a new file gets (mkstemp makes it private).
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t mode = 0666 & ~mask;
    if (::stat(sys.c_str(), &st) == 0) mode = st.st_mode & 07777;
    ::fchmod(fd, mode);
    bool ok = WriteAll(fd, bytes);
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(tmp.c_str(), sys.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(tmp.c_str());
        Raise(kMsgStreamWrite);
    }
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    const std::string& sys = path.native();
    int fd = sys.empty() ? -1 : ::open(sys.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) RaiseCannotCreateFile(path);
    bool ok = WriteAll(fd, bytes);
    if (::close(fd) != 0) ok = false;
    if (!ok) Raise(kMsgStreamWrite);
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

} // namespace kestrun
