// The file reader every Image owns: tells the kind of picture from the file's first bytes,
// decodes BMP, JPEG and GIF into a bitmap, and recognises and measures PNG without decoding it.
// Every file is hostile until checked: only regular files of bounded size are read, once and
// without blocking, and a picture's size is read from its header and checked before it is decoded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/platform.h"

namespace brelvoxan {

enum class ImageFileKind : int32_t {
  kFileNone = 0,
  kFileBmp = 1,
  kFileJpeg = 2,
  kFileGif = 3,
  kFilePng = 4,
};

class ImageFile {
 public:
  ImageFile() = default;
  ~ImageFile();
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  // 1 when a bitmap is now available from handle(), 0 otherwise. Only the top-left corner
  // `keep` of the picture is kept (and decoded, where the reader can stop early). A path that
  // is missing or not a regular file leaves everything as it was; any other failure leaves the
  // reader empty.
  int32_t load(const char* path, host::PictureCrop keep = {});
  // The bitmap of the last load by kind; null for none and PNG, and null once it has been given
  // away with releaseBitmap.
  host::BitmapHandle handle() const;
  // Forgets the last picture, deleting the bitmap it still owns.
  void reset();
  // Gives up ownership of the current bitmap to the caller (the Image that adopts it), so that
  // every bitmap is deleted exactly once. kind, width and height stay.
  host::BitmapHandle releaseBitmap();

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  ImageFileKind kind() const { return kind_; }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  ImageFileKind kind_ = ImageFileKind::kFileNone;
  host::BitmapHandle picture_ = nullptr;       // decoded JPEG or GIF
  host::BitmapHandle loadedBitmap_ = nullptr;  // decoded BMP
};

// The kind of a file from its first up to 8 bytes (missing bytes read as 0).
ImageFileKind detectKind(const uint8_t (&head)[8]);

// The pixel size a BMP, JPEG or GIF file declares in its header (a JPEG's first frame header,
// a GIF's logical screen), without decoding; false when the header is missing or cut short.
bool declaredSize(ImageFileKind kind, const uint8_t* bytes, size_t size, int32_t* width,
                  int32_t* height);

// Whether a picture of that size may be decoded: both sides 1..host::kMaxPictureSide.
bool acceptedSize(int32_t width, int32_t height);

// Whether a BMP, JPEG or GIF file may be handed to a decoder: its declared size accepted; for a
// BMP, all the pixel rows its headers promise present (where they can be counted); for a GIF,
// the size of its first frame accepted too (a decoder allocates for the frame whatever the
// screen says), and that frame's data not mostly LZW clear codes, each of which makes a decoder
// reset its table without giving a pixel. Costs a few operations per byte at most.
bool worthDecoding(ImageFileKind kind, const uint8_t* bytes, size_t size);

}  // namespace brelvoxan
