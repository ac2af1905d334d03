#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "text/file_system.h"

namespace urlsmith {

namespace {

// Closes a descriptor when it goes out of scope.
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Reads exactly `count` bytes unless the file ends first; returns the bytes read or -1.
ssize_t ReadFully(int fd, std::uint8_t* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, buffer + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

void SetError(std::string* error, int code) {
  if (error != nullptr) *error = std::strerror(code);
}

// Writes all of `count` bytes; false with errno set on failure.
bool WriteFully(int fd, const std::uint8_t* buffer, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, buffer + done, count - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// The folder part of a path, "." when it has none.
std::string FolderPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Files from this size on are read with the advice that they are read from start to end.
constexpr off_t kSequentialAdviceSize = off_t{1} << 20;

// Opens a regular file for reading (st receives what it is), or gives -1 with errno set. A
// named pipe, device or folder with a web file's name is refused at once: opening or reading it
// could block the run forever.
int OpenRegularFile(const std::string& path, struct stat& st) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0) {
    const int e = errno;
    ::close(fd);
    errno = e;
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  // O_NONBLOCK has no effect on the reads of a regular file: it stays set.
  return fd;
}

}  // namespace

// The base versions: a file system that does not implement writing refuses it.
std::optional<FileInfo> FileSystem::Stat(const std::string&, std::string* error) {
  SetError(error, ENOTSUP);
  return std::nullopt;
}
std::optional<long> TempFileWriter(std::string_view name) {
  if (name.substr(0, kTempFilePrefix.size()) != kTempFilePrefix) return std::nullopt;
  name.remove_prefix(kTempFilePrefix.size());
  if (name.size() > 4 && name.substr(name.size() - 4) == "-old") name.remove_suffix(4);
  const std::size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 10 || name.size() != dash + 7) {
    return std::nullopt;
  }
  long pid = 0;
  for (const char c : name.substr(0, dash)) {
    if (c < '0' || c > '9') return std::nullopt;
    pid = pid * 10 + (c - '0');
  }
  for (const char c : name.substr(dash + 1)) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return std::nullopt;
  }
  return pid;
}

bool FileSystem::ProcessRuns(long) {
  return true;
}

bool PosixFileSystem::ProcessRuns(long pid) {
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::optional<std::string> FileSystem::WriteTempFile(const std::string&,
                                                     const std::vector<std::uint8_t>&,
                                                     const FileInfo&, std::string* error) {
  SetError(error, ENOTSUP);
  return std::nullopt;
}
bool FileSystem::Rename(const std::string&, const std::string&, std::string* error) {
  SetError(error, ENOTSUP);
  return false;
}
bool FileSystem::HardLink(const std::string&, const std::string&, std::string* error) {
  SetError(error, ENOTSUP);
  return false;
}
bool FileSystem::Remove(const std::string&, std::string* error) {
  SetError(error, ENOTSUP);
  return false;
}
void FileSystem::SyncFolder(const std::string&) {}

void PosixFileSystem::ReadWholeFile(const std::string& path, ReadResult& result) {
  result.Status = ReadStatus::Unreadable;
  result.Bytes.clear();
  result.Error.clear();
  struct stat st {};
  Fd file(OpenRegularFile(path, st));
  if (file.fd < 0) {
    result.Error = errno == EINVAL ? "not a regular file" : std::strerror(errno);
    return;
  }
  if (st.st_size == 0) {
    result.Status = ReadStatus::Empty;
    return;
  }
  if (st.st_size >= static_cast<off_t>(std::numeric_limits<std::int32_t>::max())) {
    result.Status = ReadStatus::TooLarge;
    result.Error = "file too large";
    return;
  }
#ifdef POSIX_FADV_SEQUENTIAL
  // A larger read-ahead pays for a large file that is not cached yet; for the usual page it is
  // one more system call.
  if (st.st_size >= kSequentialAdviceSize) ::posix_fadvise(file.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  const auto size = static_cast<std::size_t>(st.st_size);
  try {
    result.Bytes.resize(size);
  } catch (const std::bad_alloc&) {
    result.Error = "out of memory";
    return;
  }
  const ssize_t got = ReadFully(file.fd, result.Bytes.data(), size);
  if (got < 0) {
    result.Error = std::strerror(errno);
    result.Bytes.clear();
    return;
  }
  if (static_cast<std::size_t>(got) != size) {
    // The file shrank while it was read: take what is there, as it is now.
    result.Bytes.resize(static_cast<std::size_t>(got));
    if (got == 0) {
      result.Status = ReadStatus::Empty;
      return;
    }
  }
  result.Status = ReadStatus::Ok;
}

std::optional<std::vector<std::uint8_t>> PosixFileSystem::ReadPrefix(const std::string& path,
                                                                     std::size_t count) {
  struct stat st {};
  Fd file(OpenRegularFile(path, st));
  if (file.fd < 0) return std::nullopt;
  std::vector<std::uint8_t> bytes(count);
  const ssize_t got = ReadFully(file.fd, bytes.data(), count);
  if (got < 0) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

std::optional<std::vector<DirEntry>> PosixFileSystem::ListFolder(const std::string& folder) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<DirEntry> entries;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) break;
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    DirEntry e;
    e.Name = std::string(name);
    bool isDir = false;
    if (entry->d_type == DT_DIR) {
      isDir = true;
    } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      // Symbolic links to folders count as folders, as a file manager shows them.
      struct stat st {};
      if (::stat((prefix + e.Name).c_str(), &st) == 0) isDir = S_ISDIR(st.st_mode);
    }
    e.IsDirectory = isDir;
    entries.push_back(std::move(e));
  }
  ::closedir(dir);
  return entries;
}

bool PosixFileSystem::IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string PosixFileSystem::CanonicalPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return {};
  std::string out(resolved);
  std::free(resolved);
  return out;
}

std::optional<FileInfo> PosixFileSystem::Stat(const std::string& path, std::string* error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    SetError(error, errno);
    return std::nullopt;
  }
  FileInfo info;
  info.Size = static_cast<std::int64_t>(st.st_size);
  info.Mode = static_cast<std::uint32_t>(st.st_mode & 07777);
  info.Uid = static_cast<std::uint32_t>(st.st_uid);
  info.Gid = static_cast<std::uint32_t>(st.st_gid);
  info.IsDirectory = S_ISDIR(st.st_mode);
  // A file without any write bit counts as read-only even for the superuser.
  info.Writable = (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
  return info;
}

std::optional<std::string> PosixFileSystem::WriteTempFile(const std::string& nearPath,
                                                          const std::vector<std::uint8_t>& bytes,
                                                          const FileInfo& like,
                                                          std::string* error) {
  const std::string folder = FolderPart(nearPath);
  std::string name = (folder == "/" ? std::string() : folder) + "/" + std::string(kTempFilePrefix) +
                     std::to_string(::getpid()) + "-XXXXXX";
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    SetError(error, errno);
    return std::nullopt;
  }
  auto fail = [&](int code) -> std::optional<std::string> {
    ::close(fd);
    ::unlink(name.c_str());
    SetError(error, code);
    return std::nullopt;
  };
  if (!WriteFully(fd, bytes.data(), bytes.size())) return fail(errno);
  // The owner first: changing it may clear set-id bits, which the mode then sets again.
  // Only the superuser may give a file away; anyone else keeps their own.
  if (::fchown(fd, static_cast<uid_t>(like.Uid), static_cast<gid_t>(like.Gid)) != 0) {
    (void)::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(like.Gid));
  }
  if (::fchmod(fd, static_cast<mode_t>(like.Mode & 07777)) != 0) return fail(errno);
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    const int code = errno;
    ::unlink(name.c_str());
    SetError(error, code);
    return std::nullopt;
  }
  return name;
}

bool PosixFileSystem::Rename(const std::string& from, const std::string& to, std::string* error) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    SetError(error, errno);
    return false;
  }
  return true;
}

bool PosixFileSystem::HardLink(const std::string& from, const std::string& to, std::string* error) {
  if (::link(from.c_str(), to.c_str()) != 0) {
    SetError(error, errno);
    return false;
  }
  return true;
}

bool PosixFileSystem::Remove(const std::string& path, std::string* error) {
  if (::unlink(path.c_str()) != 0) {
    SetError(error, errno);
    return false;
  }
  return true;
}

void PosixFileSystem::SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace urlsmith
