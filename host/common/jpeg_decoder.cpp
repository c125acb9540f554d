// JPEG decoding with the system's libjpeg: its size is checked before anything is allocated
// for the picture, its working memory and its number of scans are bounded, and its errors come
// back here instead of ending the process. A stream libjpeg only warns about (corrupt data, cut
// short) is refused as well: it would otherwise be drawn with made-up grey. Nothing is printed.
#include <bit>
#include <climits>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <new>

#include <jpeglib.h>

#include "host/common/picture_decoders.h"

namespace host::pictures {

namespace {

// A progressive picture takes about ten scans; thousands of tiny ones only cost time.
constexpr int kMaxScans = 100;
// Far above what the largest accepted picture needs, even with ten components.
constexpr long kMaxWorkingMemory = 48L << 20;

// Rows are written straight into the 0x00RRGGBB pixels: four bytes per pixel whose order in
// memory depends on the machine; the fourth byte is cleared afterwards.
constexpr J_COLOR_SPACE kPixelLayout =
    std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;

struct ErrorManager {
  jpeg_error_mgr manager;  // first, so the library's pointer is ours
  std::jmp_buf jump;
};

[[noreturn]] void fail(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (level -1) are counted by the library, and read after decoding; nothing else is
// kept.
void countWarnings(j_common_ptr cinfo, int level) {
  if (level < 0) ++cinfo->err->num_warnings;
}

void limitScans(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) fail(cinfo);
}

bool allocate(Picture* out, size_t count) {
  try {
    out->pixels.assign(count, 0);
    return true;
  } catch (const std::bad_alloc&) {
    out->pixels = {};
    return false;
  }
}

// No object with a destructor lives in this function, so the jump back from the library's
// error handler skips nothing.
// Rows below the kept corner are never decoded; whole rows are read, and cut to the corner's
// width at the end.
bool decode(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep) {
  jpeg_decompress_struct cinfo{};
  ErrorManager errors{};
  jpeg_progress_mgr progress{};
  cinfo.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = fail;
  errors.manager.emit_message = countWarnings;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxWorkingMemory;
  progress.progress_monitor = limitScans;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, bytes, static_cast<unsigned long>(size));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK || cinfo.image_width == 0 ||
      cinfo.image_height == 0 || cinfo.image_width > static_cast<JDIMENSION>(kMaxPictureSide) ||
      cinfo.image_height > static_cast<JDIMENSION>(kMaxPictureSide)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = kPixelLayout;
  const size_t width = cinfo.image_width;
  const PictureCrop kept = keptSize(static_cast<int32_t>(cinfo.image_width),
                                    static_cast<int32_t>(cinfo.image_height), keep);
  if (kept.width == 0 || !allocate(out, width * static_cast<size_t>(kept.height))) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != cinfo.image_width || cinfo.output_height != cinfo.image_height ||
      cinfo.output_components != 4) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  while (cinfo.output_scanline < static_cast<JDIMENSION>(kept.height)) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(out->pixels.data() + cinfo.output_scanline * width);
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
      jpeg_destroy_decompress(&cinfo);
      return false;
    }
  }
  out->width = static_cast<int32_t>(cinfo.output_width);
  out->height = kept.height;
  const bool clean = cinfo.err->num_warnings == 0;
  // The rest of the stream is not needed; destroying also aborts.
  jpeg_destroy_decompress(&cinfo);
  return clean;
}

}  // namespace

bool decodeJpeg(const uint8_t* bytes, size_t size, Picture* out, PictureCrop keep) {
  if (bytes == nullptr || out == nullptr || size < 2 || size > ULONG_MAX) return false;
  if (!decode(bytes, size, out, keep)) {
    *out = Picture{};
    return false;
  }
  cropPicture(out, keep);
  for (uint32_t& pixel : out->pixels) pixel &= 0xFFFFFF;
  return true;
}

}  // namespace host::pictures
