// The computer's thinking, in a worker with the opponent alone, so that the page goes on drawing
// and taking keys meanwhile. One worker for the whole page, made for the computer's first move
// (at the searching levels it is ready well within the computer's pause) and kept, so that its
// program is fetched and compiled once; each move is thought out afresh, as in the desktop game.
// Each job is answered in turn. A worker that fails answers its jobs with null and is replaced at
// the next job, which the game asks again after a pause.

// Returns run(job): a promise of the answer's bytes, or of null when there is none.
function makeThinker(withRelease, say) {
  let thinker = null;
  let failed = false;

  function start() {
    if (thinker || typeof Worker !== "function") return;
    const waiting = [];
    const worker = new Worker(withRelease("brelvoxan-think.js"));
    const current = {
      run: job => new Promise(resolve => {
        waiting.push(resolve);
        worker.postMessage(job, [job.buffer]);
      }),
    };
    worker.onmessage = event => {
      const resolve = waiting.shift();
      if (failed) {
        failed = false;
        say("");
      }
      if (resolve) resolve(event.data instanceof Uint8Array ? event.data : null);
    };
    worker.onerror = event => {
      event.preventDefault();
      console.warn("the computer's thinking failed: " + (event.message || "not loaded"));
      worker.terminate();
      if (thinker === current) thinker = null;
      failed = true;
      say("The computer's thinking could not be loaded; trying again.");
      waiting.splice(0).forEach(resolve => resolve(null));
    };
    thinker = current;
  }

  return job => {
    start();
    return thinker ? thinker.run(job) : Promise.resolve(null);
  };
}
