// The worker's side of game/entry/think_worker.cpp (written before Emscripten's own code): each message is
// one job as bytes, answered in the order it came with the answer's bytes, or null when the
// program could not answer. Its files come from the release of the page that made the worker
// (the ?r= of the worker's own address).

Module.locateFile = (path, folder) => folder + path + self.location.search;

(function () {
  let thinker = 0;
  let ready = false;
  const waiting = [];

  function answer(job) {
    let reply = null;
    const at = _malloc(Math.max(1, job.length));
    const sizeAt = _malloc(4);
    if (at && sizeAt) {
      if (!thinker) thinker = _brelvoxan_thinker_new();
      HEAPU8.set(job, at);
      HEAP32[sizeAt >> 2] = 0;
      const answerAt = _brelvoxan_think(thinker, at, job.length, sizeAt);
      if (answerAt) {
        const size = HEAP32[sizeAt >> 2];
        if (size > 0) reply = HEAPU8.slice(answerAt, answerAt + size);
        _free(answerAt);
      }
    }
    _free(at);
    _free(sizeAt);
    postMessage(reply);
  }

  self.onmessage = event => {
    const job = new Uint8Array(event.data);
    if (ready) answer(job);
    else waiting.push(job);
  };
  Module.onRuntimeInitialized = () => {
    ready = true;
    waiting.splice(0).forEach(answer);
  };
})();
