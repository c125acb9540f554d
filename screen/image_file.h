// The file reader every Image owns: tells the kind of picture from the file's first bytes,
// decodes BMP, JPEG and GIF into a bitmap, and recognises and measures PNG without decoding it.
// Every file is hostile until checked: only regular files of bounded size are read, once and
// without blocking, and a picture's size and the work of decoding it are read from its header
// and checked before it is decoded.
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

// What a table of pictures may still spend on decoding, in the units of decodeWork. Each table
// that is read has its own.
class DecodeBudget {
 public:
  explicit DecodeBudget(uint64_t work = host::kMaxTableDecodeWork) : left_(work) {}
  // Takes the work from what is left; false, and nothing taken, when less than that is left.
  bool spend(uint64_t work);
  uint64_t left() const { return left_; }
  // Counts a picture refused for want of it, and tells how many were.
  void refuse() { ++refused_; }
  size_t refused() const { return refused_; }

 private:
  uint64_t left_;
  size_t refused_ = 0;
};

class ImageFile {
 public:
  ImageFile() = default;
  ~ImageFile();
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  // 1 when a bitmap is now available from handle(), 0 otherwise. Only the top-left corner
  // `keep` of the picture is kept (and decoded, where the reader can stop early). With a
  // budget, the picture's decodeWork is taken from it before any reader runs, and a picture
  // whose work is no longer there is not decoded (nor read, when its file alone is larger than
  // what is left). A path that is missing or not a regular file
  // leaves everything as it was; any other failure leaves the reader empty.
  int32_t load(const char* path, host::PictureCrop keep = {}, DecodeBudget* budget = nullptr);
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

// The work of reading and decoding a BMP, JPEG or GIF file whose declared size is accepted, in
// units of one byte read or one pixel a reader may have to make, counted from its headers
// without decoding: every byte of the file, and the pixels of the costliest reader of its kind:
// - JPEG and GIF: every pixel (of a GIF, of its screen or its first frame, the larger), as the
//   system's and the browser's readers decode them whole, and as any reader must decode a
//   progressive JPEG or an interlaced GIF whole to give even its first row;
// - a run-length encoded BMP: every pixel, its rows coming bottom first;
// - any other BMP: the kept corner's pixels, its rows being read from where they lie.
// 0 when the header cannot be read.
uint64_t decodeWork(ImageFileKind kind, const uint8_t* bytes, size_t size, host::PictureCrop keep);

// Whether a BMP, JPEG or GIF file may be handed to a decoder: its declared size accepted; for a
// BMP, all the pixel rows its headers promise present (where they can be counted); for a GIF,
// the size of its first frame accepted too (a decoder allocates for the frame whatever the
// screen says), and that frame's data not mostly LZW clear codes, each of which makes a decoder
// reset its table without giving a pixel. Costs a few operations per byte at most.
bool worthDecoding(ImageFileKind kind, const uint8_t* bytes, size_t size);

}  // namespace brelvoxan
