// Bounded reads of regular files, and whole files replaced at once, for the POSIX backends.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>

#include "host/common/owned_handle.h"
#include "host/platform.h"

namespace host {

namespace {

constexpr size_t kReadChunk = size_t{64} << 10;

// ::open gives -1 and nothing else when it fails.
struct DescriptorTraits {
  using Handle = int;
  static int none() { return -1; }
  static void close(int fd) { ::close(fd); }
};
using FileDescriptor = OwnedHandle<DescriptorTraits>;

}  // namespace

FileRead readRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes) {
  if (path == nullptr || bytes == nullptr) return FileRead::kNotOpened;
  bytes->clear();
  // Looked at before opening, so that no FIFO or device is ever opened, and again on the open
  // descriptor in case the name was switched in between. O_NONBLOCK keeps even that open from
  // waiting for a writer.
  struct stat status {};
  if (::stat(path, &status) != 0 || !S_ISREG(status.st_mode)) return FileRead::kNotOpened;
  const FileDescriptor file(::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) return FileRead::kNotOpened;
  if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return FileRead::kNotOpened;
  if (status.st_size < 0 || static_cast<uint64_t>(status.st_size) > maxBytes) {
    return FileRead::kTooLarge;
  }

  try {
    // One byte more than the size said, to notice a file that grew meanwhile.
    bytes->resize(static_cast<size_t>(status.st_size) + 1);
    size_t filled = 0;
    for (;;) {
      if (filled == bytes->size()) {
        if (filled > maxBytes) {
          bytes->clear();
          return FileRead::kTooLarge;
        }
        bytes->resize(filled + kReadChunk < maxBytes + 1 ? filled + kReadChunk : maxBytes + 1);
      }
      const ssize_t got = ::read(file.get(), bytes->data() + filled, bytes->size() - filled);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        bytes->clear();
        return FileRead::kFailed;
      }
      if (got == 0) break;
      filled += static_cast<size_t>(got);
    }
    bytes->resize(filled);
  } catch (const std::bad_alloc&) {
    bytes->clear();
    bytes->shrink_to_fit();
    return FileRead::kFailed;
  }
  return FileRead::kRead;
}

namespace {

std::string reason(const char* what, const std::string& name, int error) {
  return std::string("cannot ") + what + " " + name + ": " + std::strerror(error);
}

// Makes `folder` and its missing parents, private to the user as configuration folders are.
bool makeFolders(const std::string& folder, std::string* why) {
  struct stat status {};
  if (folder.empty() || ::stat(folder.c_str(), &status) == 0) return true;
  const size_t slash = folder.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !makeFolders(folder.substr(0, slash), why)) {
    return false;
  }
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    *why = reason("make", folder, errno);
    return false;
  }
  return true;
}

}  // namespace

bool replaceFile(const char* path, const std::vector<uint8_t>& bytes, std::string* why) {
  std::string ignored;
  if (why == nullptr) why = &ignored;
  if (path == nullptr || *path == '\0') {
    *why = "no file name";
    return false;
  }
  const std::string target(path);
  const size_t slash = target.find_last_of('/');
  if (slash != std::string::npos && !makeFolders(target.substr(0, slash), why)) return false;
  // A name no other writer uses, this process's or another copy's.
  static std::atomic<unsigned> serial{0};
  const std::string temporary =
      target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(serial.fetch_add(1));
  const FileDescriptor file(
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0600));
  if (file.get() < 0) {
    *why = reason("create", temporary, errno);
    return false;
  }
  size_t written = 0;
  int error = 0;
  while (written < bytes.size()) {
    const ssize_t put = ::write(file.get(), bytes.data() + written, bytes.size() - written);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      error = put < 0 ? errno : ENOSPC;
      break;
    }
    written += static_cast<size_t>(put);
  }
  // Only a file whose bytes are on the disk replaces the old one: a crash leaves either.
  if (error == 0 && ::fsync(file.get()) != 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    *why = reason("write", target, error);
    return false;
  }
  return true;
}

}  // namespace host
