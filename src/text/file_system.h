// The file system as the core sees it. The real one is PosixFileSystem; tests may wrap it to
// inject failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace urlsmith {

struct DirEntry {
  std::string Name;
  bool IsDirectory = false;
};

enum class ReadStatus { Ok, Empty, Unreadable, TooLarge };

// An allocator whose grown buffers keep whatever bytes the memory held: a file is read into the
// buffer right away, so filling it with zeros first would only cost time. The buffers begin on a
// cache line: the kernel copies a file into a buffer that is not 32-byte aligned up to three
// times slower on some processors, and that copy is a large part of a search.
template <class T>
struct NoFillAllocator : std::allocator<T> {
  static constexpr std::size_t kAlignment = 64;
  template <class U>
  struct rebind {
    using other = NoFillAllocator<U>;
  };
  NoFillAllocator() = default;
  template <class U>
  NoFillAllocator(const NoFillAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > std::allocator_traits<std::allocator<T>>::max_size(*this)) throw std::bad_alloc();
    return static_cast<T*>(::operator new (n * sizeof(T), std::align_val_t{kAlignment}));
  }
  void deallocate(T* p, std::size_t) noexcept {
    ::operator delete (p, std::align_val_t{kAlignment});
  }
  template <class U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// A whole file's bytes.
using FileBytes = std::vector<std::uint8_t, NoFillAllocator<std::uint8_t>>;

struct ReadResult {
  ReadStatus Status = ReadStatus::Unreadable;
  FileBytes Bytes;
  std::string Error;  // why it could not be read, for messages
};

// What a file is, as far as rewriting it in place needs to know.
struct FileInfo {
  std::int64_t Size = 0;
  std::uint32_t Mode = 0;  // permission bits (the 07777 part)
  std::uint32_t Uid = 0;
  std::uint32_t Gid = 0;
  bool IsDirectory = false;
  bool Writable = false;  // some write bit is set and this process may write the file
};

// The temporary files that replacing a file leaves for a moment next to it:
// ".urlsmith-<pid>-XXXXXX" (and the same with "-old" while a backup gets its name). The
// writer's process id tells the leftovers of a run that was killed from the files of one that
// still runs.
inline constexpr std::string_view kTempFilePrefix = ".urlsmith-";
// The process id of the writer when `name` (a file name without folder) is such a file.
std::optional<long> TempFileWriter(std::string_view name);

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The whole file in one buffer. Size 0 gives Empty; files of 2 GiB or more give TooLarge.
  // The link search calls this from several threads at once. `into` is filled anew, its
  // buffer reused: a reader of many files allocates only for the largest.
  virtual void ReadWholeFile(const std::string& path, ReadResult& into) = 0;
  ReadResult ReadWholeFile(const std::string& path) {
    ReadResult result;
    ReadWholeFile(path, result);
    return result;
  }
  // Up to `count` bytes from the start of the file (fewer when it is shorter); nullopt when it
  // cannot be opened or read.
  virtual std::optional<std::vector<std::uint8_t>> ReadPrefix(const std::string& path,
                                                              std::size_t count) = 0;
  // The entries of a folder except "." and ".."; nullopt when it cannot be listed.
  virtual std::optional<std::vector<DirEntry>> ListFolder(const std::string& folder) = 0;
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  // The path with every symbolic link and "."/".." resolved, used to notice folder loops;
  // empty when it cannot be resolved.
  virtual std::string CanonicalPath(const std::string& path) = 0;

  // Writing. Each returns false (nullopt) on failure with the reason in *error (which may be
  // null). The base versions fail: a file system that cannot write says so.

  // The file's size, permission bits and owner.
  virtual std::optional<FileInfo> Stat(const std::string& path, std::string* error);
  // Writes `bytes` to a new file beside `nearPath` (same folder, a name no other file has),
  // with the permission bits (and, where allowed, the owner) of `like`, and flushes it to the
  // disk. Returns the new file's path. On failure nothing is left behind.
  virtual std::optional<std::string> WriteTempFile(const std::string& nearPath,
                                                   const std::vector<std::uint8_t>& bytes,
                                                   const FileInfo& like, std::string* error);
  // Renames `from` to `to` in one step, replacing a file named `to`.
  virtual bool Rename(const std::string& from, const std::string& to, std::string* error);
  // Gives the file `from` the second name `to`, which must not exist yet.
  virtual bool HardLink(const std::string& from, const std::string& to, std::string* error);
  // Removes a file.
  virtual bool Remove(const std::string& path, std::string* error);
  // Makes the renames made in a folder durable. Best effort.
  virtual void SyncFolder(const std::string& folder);
  // Whether the process `pid` still runs, so that its temporary files are not leftovers. The
  // base version says yes: nothing is taken for a leftover.
  virtual bool ProcessRuns(long pid);
};

class PosixFileSystem : public FileSystem {
 public:
  using FileSystem::ReadWholeFile;
  void ReadWholeFile(const std::string& path, ReadResult& result) override;
  std::optional<std::vector<std::uint8_t>> ReadPrefix(const std::string& path,
                                                      std::size_t count) override;
  std::optional<std::vector<DirEntry>> ListFolder(const std::string& folder) override;
  bool IsDirectory(const std::string& path) override;
  bool Exists(const std::string& path) override;
  std::string CanonicalPath(const std::string& path) override;
  std::optional<FileInfo> Stat(const std::string& path, std::string* error) override;
  std::optional<std::string> WriteTempFile(const std::string& nearPath,
                                           const std::vector<std::uint8_t>& bytes,
                                           const FileInfo& like, std::string* error) override;
  bool Rename(const std::string& from, const std::string& to, std::string* error) override;
  bool HardLink(const std::string& from, const std::string& to, std::string* error) override;
  bool Remove(const std::string& path, std::string* error) override;
  void SyncFolder(const std::string& folder) override;
  bool ProcessRuns(long pid) override;
};

}  // namespace urlsmith
