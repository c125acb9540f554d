// Bounded reads of regular files for the POSIX backends.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

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

}  // namespace host
