// The page's worker program: the opponent alone (engine/opponent.h), answering the game's thinking
// jobs (game/think_job.h) one after the other, with the opponent kept between them for the whole
// page. Its two functions are exported by the link (host/web/CMakeLists.txt); its JavaScript
// side is host/web/think_worker.js.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "game/think_job.h"

extern "C" {

// The thinker of one page; never freed, as the worker lives as long as the page.
brelvoxan::Thinker* brelvoxan_thinker_new() {
  return new brelvoxan::Thinker;
}

// The answer to the job of `size` bytes at `job`, in memory from malloc that the caller frees,
// its size in *answerSize (0 for bytes that are not a job); null when memory is refused.
uint8_t* brelvoxan_think(brelvoxan::Thinker* thinker, const uint8_t* job, int32_t size,
                         int32_t* answerSize) {
  if (thinker == nullptr || job == nullptr || size < 0 || answerSize == nullptr) return nullptr;
  const std::vector<uint8_t> answer =
      brelvoxan::answerThinkJob(*thinker, std::span(job, static_cast<size_t>(size)));
  // The time guard's one note goes to the page's console.
  if (thinker->opponent) {
    const std::string note = thinker->opponent->takeNote();
    if (!note.empty()) std::fprintf(stderr, "brelvoxan: %s\n", note.c_str());
  }
  auto* bytes = static_cast<uint8_t*>(std::malloc(std::max<size_t>(answer.size(), 1)));
  if (bytes == nullptr) return nullptr;
  if (!answer.empty()) std::memcpy(bytes, answer.data(), answer.size());
  *answerSize = static_cast<int32_t>(answer.size());
  return bytes;
}
}
