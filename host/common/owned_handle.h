// An operating-system handle that closes itself when it goes out of scope. `Traits` names the
// handle's type, the value that means "none" and how to close it:
//   struct Traits { using Handle = ...; static Handle none(); static void close(Handle); };
#pragma once

namespace host {

template <typename Traits>
class OwnedHandle {
 public:
  using Handle = typename Traits::Handle;

  explicit OwnedHandle(Handle handle) : handle_(handle) {}
  ~OwnedHandle() {
    if (handle_ != Traits::none()) Traits::close(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  Handle get() const { return handle_; }

 private:
  Handle handle_;
};

}  // namespace host
