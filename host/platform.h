// The one seam between the game and the operating system. Everything the game needs from the
// platform (bitmaps, drawing onto the window and into the back buffer, the window thread,
// sleeping and the key wait) is declared here and implemented once per backend under
// host/<backend>/. Exactly one backend is linked into an executable.
// No OS or SDL header may be included from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// Opaque handles; each backend defines the structs (or casts its own handles).
struct BitmapObject;
struct WindowObject;
struct SurfaceObject;
using BitmapHandle = BitmapObject*;    // a picture in the display's format
using WindowHandle = WindowObject*;    // the game window
using SurfaceHandle = SurfaceObject*;  // a drawing target such as the back buffer

// The contract every backend keeps (tests/platform_contract_test.cpp runs it against the
// headless and SDL backends, tests/wine/win32_check.cpp against Win32):
// - Null handles are accepted everywhere and refused: the call gives null, false or 0, stores
//   nothing and changes nothing. A bitmap already deleted is refused the same way.
// - A draw shows only on the game window: with a null or unknown owner nothing is shown (never
//   the desktop) and the result is 0; the mirror copy is made all the same.
// - Pixels are 0x00RRGGBB, rows top to bottom; the top byte is ignored.

// --- Bitmaps -------------------------------------------------------------------------------

// A bitmap of width x height pixels, black when pixels is null. Null when the size is not
// positive or the platform refuses.
BitmapHandle createBitmap(int32_t width, int32_t height, const uint32_t* pixels);

// Width and height in pixels read from the bitmap itself; false (and nothing stored) for a null
// or deleted handle.
bool bitmapSize(BitmapHandle bitmap, int32_t* width, int32_t* height);

// Deletes the bitmap; a null or already deleted handle is ignored.
void deleteBitmap(BitmapHandle bitmap);

// --- Picture files -----------------------------------------------------------------------

// The largest picture any reader accepts, in either direction: wider than the whole 720 x 288
// display, so every picture the screen can show loads, while one costs at most 4 MB of pixels.
// The image file reader checks it in a picture's header (and a GIF's first frame) before
// decodePicture sees the file; the readers check the decoded size again.
inline constexpr int32_t kMaxPictureSide = 1024;
// The largest picture file read: 1 MB, more than a 32-bit BMP as large as the whole display
// with its headers, and far more than a glyph needs. Bounding the bytes bounds what any reader,
// the platform's included, can be made to work through: libjpeg takes about 35 ms for a
// megabyte of the densest progressive data.
inline constexpr size_t kMaxPictureFileBytes = size_t{1} << 20;
// The decoding work one table of pictures (the 256 glyph files of a folder) may cost, counted
// from their headers before any reader sees them (screen/image_file.h, decodeWork: each byte
// read and each pixel a reader may have to make is one unit). A file whose work no longer fits
// is refused like an unreadable one; counted, not timed, so a folder gives the same blanks on
// every machine and with every reader. A glyph costs a few thousand units and the game's whole
// set about 580 000, while a 1024 x 1024 picture that must be decoded whole costs two million
// with a megabyte of data (a progressive JPEG of it some 45 ms of one core here): one such
// passes per table.
inline constexpr uint64_t kMaxTableDecodeWork = uint64_t{2} << 20;

// The part of a picture a reader keeps: its top-left corner of at most width x height pixels.
// Readers decode no more of a picture than that corner needs where they can, and never hand
// out a bitmap larger than it.
struct PictureCrop {
  int32_t width = kMaxPictureSide;
  int32_t height = kMaxPictureSide;
};

// Decodes a whole BMP, JPEG or GIF file held in memory, told apart by its first bytes, keeping
// the given corner; null on failure. On success the kept bitmap's pixel size is stored in
// *width and *height (either may be null). The file is read once, by the caller: no reader
// opens it again by name.
BitmapHandle decodePicture(const uint8_t* bytes, size_t size, int32_t* width, int32_t* height,
                           PictureCrop keep = {});

enum class FileRead : int32_t {
  kRead,       // the whole file is in *bytes
  kNotOpened,  // missing, no access, or not a regular file (directory, FIFO, device, socket)
  kTooLarge,   // a regular file of more than maxBytes bytes
  kFailed,     // opened, but a read failed or its memory was refused
};

// Reads the whole of a regular file of at most maxBytes bytes into *bytes. Never blocks on a
// FIFO or a device: anything but a regular file is refused before a byte is read.
FileRead readRegularFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes);

// Writes `bytes` as the whole new content of the file at `path`, so that a reader, another copy
// of the game among them, only ever finds the old file or the new one whole: they go to a new
// file beside it, which is flushed to the disk and then renamed over it. The file's folder is
// made first when it is missing, with its parents. False, with one line of why in *why and the
// file at `path` as it was, when any step fails (a read-only folder, a full disk).
bool replaceFile(const char* path, const std::vector<uint8_t>& bytes, std::string* why);

// The folder in which the game keeps its settings and results between runs, in the platform's
// usual place ($XDG_CONFIG_HOME/brelvoxan or ~/.config/brelvoxan, %APPDATA%\Brelvoxan, the
// page's storage in the browser), not made yet if missing; empty when the platform has none
// (the headless backend: the simulator and the tests keep nothing unless given a folder).
std::string settingsFolder();

// --- Drawing -------------------------------------------------------------------------------

// Copies the bitmap one to one with its top-left corner at (x, y) onto the client area of the
// game window `owner` and, when mirror is not null, the same copy into that surface (the back
// buffer); both copies are clipped to their target. Returns nonzero when the copy onto the
// window succeeded; 0 for a null or deleted bitmap (nothing drawn anywhere) and for a null or
// unknown owner (nothing shown, the mirror copy still made).
int32_t drawBitmap(BitmapHandle bitmap, WindowHandle owner, SurfaceHandle mirror, int32_t x,
                   int32_t y);

// --- Window host -----------------------------------------------------------------------------

// Starts the window thread, which creates the window and the screen-sized black back buffer,
// reports them (host::reportWindowCreated in host/window_host.h), shows the window and reports
// every paint (host::reportPainted) and key-down (host::reportKeyDown). Returns at once.
void startWindowThread();

// After the first paint: the game title, the small icon, the fixed style, the top-left
// position and the final size.
void finishWindowSetup();

// --- Time and keys ---------------------------------------------------------------------------

// Pauses the game thread for the given milliseconds.
void sleepMs(uint32_t milliseconds);

// Called by the key wait once before its first look at the key slot.
void beginKeyWait();

// The pause between two looks at an empty key slot: about kKeyPollMs, or less when a key
// arrives earlier.
inline constexpr uint32_t kKeyPollMs = 1;
void keyPollPause();

// Called by the window thread after it stored a key, to wake a waiting keyPollPause.
void keyStored();

// Runs a job of the game's (bytes in, bytes out: the computer's thinking) away from the thread
// that paints the window and takes keys, and waits for its answer like any other pause of the
// game thread: meanwhile the window is painted and keys go to the key slot. Only the page's
// program asks (game/thinking.h); a desktop program thinks on its game thread, since its window
// has a thread of its own. False, and nothing stored, when the backend has no such place or the
// job failed there.
bool runJobElsewhere(const std::vector<uint8_t>& job, std::vector<uint8_t>* answer);

// Thrown out of sleepMs, beginKeyWait and keyPollPause by a backend that has been asked to stop
// the game thread without ending the process (tests and the simulator).
struct GameStopped {};

// --- Start-up ----------------------------------------------------------------------------------

// The folder that holds the running program's file, without a trailing separator; empty when
// the platform cannot tell.
std::string programFolder();

// Tells the person who started the game something: the text on standard output (a problem on
// standard error) where there is a console, in a message box on Windows when it was started
// without one. Tabs separate terms from descriptions (host/message_layout.h).
void showMessage(const char* text, bool problem);

// The largest client area the game's window can have on the primary screen's usable area (the
// screen less task bars and panels, less the window's frame where the platform knows it ahead
// of the window). False, and nothing stored, when the platform cannot tell.
bool usableClientArea(int32_t* width, int32_t* height);

// Every pixel of the display becomes factor x factor window pixels (1..4, 1 the normal size).
// Called once, before startWindowThread.
void setDisplayScale(int32_t factor);

// The title screen shows that the next game is played at `level` (1 up to the top level). A
// backend whose display sits beside a level choice of its own (the page's) sets that choice to
// match; the others have nothing to do.
void showLevel(int32_t level);

// Path separator of the glyph file names on this platform.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

}  // namespace host
