// GIF decoding with the system's giflib, record by record: only the first image is decoded,
// after its logical screen and its own size have been checked, so no file can make the library
// allocate for frames nobody sees, and only as far down as the kept corner reaches.
#include <cstring>
#include <new>

#include <gif_lib.h>

#include "host/common/picture_decoders.h"

namespace host::pictures {

namespace {

struct Source {
  const uint8_t* bytes;
  size_t size;
  size_t position;
};

int readFromMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* source = static_cast<Source*>(gif->UserData);
  if (count <= 0) return 0;
  const size_t left = source->size - source->position;
  const size_t taken = static_cast<size_t>(count) < left ? static_cast<size_t>(count) : left;
  std::memcpy(buffer, source->bytes + source->position, taken);
  source->position += taken;
  return static_cast<int>(taken);
}

bool withinBounds(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

class GifFile {
 public:
  explicit GifFile(Source* source) {
    int error = 0;
    gif_ = DGifOpen(source, readFromMemory, &error);
  }
  ~GifFile() {
    int error = 0;
    if (gif_ != nullptr) DGifCloseFile(gif_, &error);
  }
  GifFile(const GifFile&) = delete;
  GifFile& operator=(const GifFile&) = delete;
  GifFileType* get() const { return gif_; }

 private:
  GifFileType* gif_ = nullptr;
};

// Decodes the image whose descriptor has just been read onto the canvas, clipped to it. Rows
// stored in order stop at the canvas's last row; interlaced ones need every pass.
bool drawImage(GifFileType* gif, int transparent, Picture* out) {
  const GifImageDesc& image = gif->Image;
  if (!withinBounds(image.Width, image.Height)) return false;
  const ColorMapObject* colours = image.ColorMap != nullptr ? image.ColorMap : gif->SColorMap;
  if (colours == nullptr || colours->Colors == nullptr) return false;
  std::vector<GifPixelType> line(static_cast<size_t>(image.Width));

  // Interlaced rows come in four passes.
  constexpr int kStart[] = {0, 4, 2, 1};
  constexpr int kStep[] = {8, 8, 4, 2};
  const int passes = image.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = image.Interlace ? kStart[pass] : 0;
    const int step = image.Interlace ? kStep[pass] : 1;
    for (int row = start; row < image.Height; row += step) {
      const long y = static_cast<long>(image.Top) + row;
      if (y >= out->height && !image.Interlace) return true;
      if (DGifGetLine(gif, line.data(), image.Width) != GIF_OK) return false;
      if (y >= out->height) continue;
      uint32_t* pixel = out->pixels.data() + static_cast<size_t>(y) * out->width;
      for (int column = 0; column < image.Width; ++column) {
        const long x = static_cast<long>(image.Left) + column;
        const int index = line[static_cast<size_t>(column)];
        if (x >= out->width || index == transparent || index >= colours->ColorCount) continue;
        const GifColorType& c = colours->Colors[index];
        pixel[x] =
            static_cast<uint32_t>(c.Red) << 16 | static_cast<uint32_t>(c.Green) << 8 | c.Blue;
      }
    }
  }
  return true;
}

bool decode(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep) {
  Source source{bytes, size, 0};
  const GifFile file(&source);
  GifFileType* gif = file.get();
  if (gif == nullptr || !withinBounds(gif->SWidth, gif->SHeight)) return false;
  const PictureCrop kept = keptSize(gif->SWidth, gif->SHeight, keep);
  if (kept.width == 0) return false;
  out->width = kept.width;
  out->height = kept.height;
  out->pixels.assign(static_cast<size_t>(out->width) * static_cast<size_t>(out->height), 0);

  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &record) != GIF_OK) return false;
    if (record == IMAGE_DESC_RECORD_TYPE) {
      return DGifGetImageDesc(gif) == GIF_OK && drawImage(gif, transparent, out);
    }
    if (record != EXTENSION_RECORD_TYPE) return false;  // the end, before any image
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
      GraphicsControlBlock control{};
      if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
        transparent = control.TransparentColor;
      }
    }
    while (block != nullptr) {
      if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
    }
  }
}

}  // namespace

bool decodeGif(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep) {
  if (bytes == nullptr || out == nullptr) return false;
  bool decoded = false;
  try {
    decoded = decode(bytes, size, out, keep);
  } catch (const std::bad_alloc&) {
    decoded = false;
  }
  if (!decoded) *out = Picture{};
  return decoded;
}

}  // namespace host::pictures
