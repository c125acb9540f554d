#include "screen/image.h"

#include "host/window_host.h"

namespace brelvoxan {

ImageBase::~ImageBase() {
  deleteBitmap();
}

void ImageBase::attachToWindow() {
  ownerWindow_ = host::promptWindow.windowHandle.load(std::memory_order_acquire);
  mirrorDc_ = host::promptWindow.backBufferDc;
  mirrorEnabled_ = 1;
}

int32_t ImageBase::drawAt(int32_t x, int32_t y) {
  if (bitmap_ == nullptr) return 0;
  int32_t width = 0;
  int32_t height = 0;
  if (!host::bitmapSize(bitmap_, &width, &height)) return 0;
  return host::drawBitmap(bitmap_, ownerWindow_, mirrorEnabled_ == 1 ? mirrorDc_ : nullptr, x, y);
}

void ImageBase::adoptBitmap(host::BitmapHandle handle) {
  if (handle != nullptr && handle == bitmap_) return;  // already ours; unloading would free it
  unload();
  replaceBitmap(handle);
}

void ImageBase::replaceBitmap(host::BitmapHandle handle) {
  if (handle != nullptr && handle == bitmap_) return;
  if (bitmap_ != nullptr) deleteBitmap();
  bitmap_ = handle;
}

void ImageBase::deleteBitmap() {
  host::deleteBitmap(bitmap_);
  bitmap_ = nullptr;
}

void ImageBase::unload() {
  deleteBitmap();
}

int32_t ImageBase::bitmapWidth() const {
  int32_t width = 0;
  int32_t height = 0;
  return host::bitmapSize(bitmap_, &width, &height) ? width : 0;
}

int32_t ImageBase::bitmapHeight() const {
  int32_t width = 0;
  int32_t height = 0;
  return host::bitmapSize(bitmap_, &width, &height) ? height : 0;
}

Image::Image() : imageFile_(std::make_unique<ImageFile>()) {}

Image::~Image() {
  unload();
  imageFile_.reset();  // its reset releases whatever it still holds
}

int32_t Image::loadFromFile(const char* path, host::PictureCrop keep, DecodeBudget* budget) {
  const int32_t result = imageFile_->load(path, keep, budget);
  // The image becomes the bitmap's only owner, so the reader's next reset cannot free it.
  if (result == 1) adoptBitmap(imageFile_->releaseBitmap());
  return result;
}

}  // namespace brelvoxan
