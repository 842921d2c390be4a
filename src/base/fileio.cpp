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

#include "base/cp1251.h"
#include "base/error.h"

namespace kestrun {

std::string SysPath(std::string_view path) {
    return Cp1251ToUtf8(path);
}

std::unique_ptr<std::ifstream> OpenFileRead(std::string_view path) {
    std::string sys = SysPath(path);
    struct stat st {};
    // A folder opens as a stream on Linux and then fails every read: refuse it here.
    if (sys.empty() || ::stat(sys.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        Raise(MsgCannotOpenFile(path));
    auto in = std::make_unique<std::ifstream>(sys, std::ios::binary);
    if (!in->is_open()) Raise(MsgCannotOpenFile(path));
    return in;
}

std::string ReadFileBytes(std::string_view path) {
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

void WriteFileAtomic(std::string_view path, std::string_view bytes) {
    std::string sys = SysPath(path);
    if (sys.empty()) Raise(MsgCannotCreateFile(path));
    struct stat st {};
    if (::stat(sys.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) Raise(MsgCannotCreateFile(path));
    std::string dir;
    std::size_t slash = sys.find_last_of('/');
    if (slash != std::string::npos) dir = sys.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? sys : sys.substr(slash + 1);
    std::string tmp = dir + "." + base + ".XXXXXX";
    int fd = ::mkstemp(tmp.data());
    if (fd < 0) Raise(MsgCannotCreateFile(path));
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
        Raise("Stream write error");
    }
}

void WriteFileBytes(std::string_view path, std::string_view bytes) {
    std::string sys = SysPath(path);
    int fd = sys.empty() ? -1 : ::open(sys.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) Raise(MsgCannotCreateFile(path));
    bool ok = WriteAll(fd, bytes);
    if (::close(fd) != 0) ok = false;
    if (!ok) Raise("Stream write error");
}

std::string ExePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return Utf8ToCp1251(p.string());
}

std::string ExeDir() {
    std::string exe = ExePath();
    std::size_t slash = exe.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

bool FileExists(std::string_view path) {
    struct stat st {};
    return ::stat(SysPath(path).c_str(), &st) == 0;
}

} // namespace kestrun
