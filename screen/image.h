// The image object: one bitmap drawn one to one onto the game window and mirrored into the
// window host's back buffer.
#pragma once

#include <cstdint>
#include <memory>

#include "host/platform.h"
#include "screen/image_file.h"

namespace brelvoxan {

class ImageBase {
 public:
  ImageBase() = default;
  virtual ~ImageBase();
  ImageBase(const ImageBase&) = delete;
  ImageBase& operator=(const ImageBase&) = delete;

  // Takes the window host's window handle and back buffer and turns mirroring on.
  void attachToWindow();
  // Draws the bitmap with its top-left corner at (x, y); nonzero when the copy onto the window
  // succeeded, 0 when the image is empty or the copy failed.
  int32_t drawAt(int32_t x, int32_t y);
  // Makes the handle the image's bitmap (the image now owns it).
  void adoptBitmap(host::BitmapHandle handle);
  // Deletes the current bitmap, if any, and stores the new handle.
  void replaceBitmap(host::BitmapHandle handle);
  // Deletes the current bitmap, if any.
  void deleteBitmap();
  // Back to the empty state.
  void unload();
  int32_t bitmapWidth() const;
  int32_t bitmapHeight() const;

  host::BitmapHandle bitmap() const { return bitmap_; }
  bool mirrorEnabled() const { return mirrorEnabled_ == 1; }

 protected:
  host::BitmapHandle bitmap_ = nullptr;
  host::WindowHandle ownerWindow_ = nullptr;
  host::SurfaceHandle mirrorDc_ = nullptr;
  int32_t mirrorEnabled_ = 0;
};

class Image : public ImageBase {
 public:
  Image();
  ~Image() override;

  // 1 when the file was read and its bitmap adopted; 0 otherwise, keeping what the image had.
  // Only the top-left corner `keep` of the picture is kept; the decoding work is taken from
  // the budget, if any (ImageFile::load).
  int32_t loadFromFile(const char* path, host::PictureCrop keep = {},
                       DecodeBudget* budget = nullptr);
  const ImageFile& imageFile() const { return *imageFile_; }

 private:
  std::unique_ptr<ImageFile> imageFile_;
};

}  // namespace brelvoxan
