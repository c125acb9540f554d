// The page around the game: sizes the display to the screen, gives touch screens on-screen keys
// and taps on the board's squares, keeps the keyboard on the display, caches the page for
// playing offline, and shows what happens while the program loads or if it fails. Adding ?trace
// to the address makes the game record its sleeps, key waits, keys and paints in
// Module.brelvoxanTrace (for the browser test and the benchmark).
// The computer's level comes from ?level=N in the address, else from the level last chosen on
// this page (kept in the browser's local storage), else 1; choosing another restarts the game.
// ?seed=N repeats the choices of levels 2 to 5 among equally good moves.
// The title screen's level (its Left and Right keys) and the choice on the page follow each other.
"use strict";

var Module = (function () {
  // The display's size in pixels and its dots, from geometry.js (written by the build from the
  // game's header); a square of the board is as wide as a character cell and as many dots high
  // as wide, and the board's eight squares fill its width.
  const geometry = brelvoxanGeometry;
  const width = geometry.clientWidth;
  const height = geometry.clientHeight;
  const dotWidth = geometry.dotWidth;
  const dotHeight = geometry.dotHeight;
  const squareDots = geometry.cellWidth / geometry.dotWidth;
  const squareWidth = geometry.cellWidth;
  const squareHeight = squareDots * dotHeight;
  const boardSquares = geometry.boardWidth / squareWidth;
  const margin = 8;  // CSS pixels kept clear around the page's content

  const canvas = document.getElementById("display");
  canvas.width = width;
  canvas.height = height;
  const status = document.getElementById("status");
  const main = document.getElementById("page");
  const pad = document.getElementById("pad");
  const bar = document.getElementById("bar");
  const touch = matchMedia("(any-pointer: coarse)").matches || navigator.maxTouchPoints > 0;
  const fromFile = location.protocol === "file:";
  const notServed = "This page cannot run from a file: its program must be served by a web " +
                    "server. Run tools/serve-web.sh and open the address it prints.";
  let running = false;
  let game = null;  // the program's exports once it runs
  // The release this page belongs to, written by the build. It goes into the address of every
  // file the page loads, so that the service worker gives the page that release's files.
  const release = document.documentElement.dataset.release || "";
  const withRelease = name => name + "?r=" + encodeURIComponent(release);

  function say(text) {
    status.textContent = text;
  }

  // --- Layout ---------------------------------------------------------------------------------
  // The largest whole number of device pixels per pixel where the display fits at one CSS pixel
  // per pixel or more; on smaller screens it fills the room, so a phone shows it across its
  // width. The style sheet already keeps it inside the page whatever this computes, so a
  // viewport that is not settled yet can make it small for a moment, never cut off.
  let fitted = "";
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    // Only when the window changed: the sizes below cost the page a layout each time.
    const size = [innerWidth, innerHeight, ratio].join();
    if (size === fitted) return;
    fitted = size;
    const viewWidth = document.documentElement.clientWidth;
    const viewHeight = window.innerHeight;
    const beside = !pad.hidden && viewWidth > viewHeight;
    main.classList.toggle("beside", beside);
    const padWidth = beside ? pad.offsetWidth + margin : 0;
    const padHeight = !pad.hidden && !beside ? pad.offsetHeight + margin : 0;
    const room = Math.min((viewWidth - 2 * margin - padWidth) / width,
                          (viewHeight - 2 * margin - padHeight - bar.offsetHeight - margin) /
                              height);
    const scale = room >= 1 ? Math.floor(room * ratio) / ratio : Math.max(room, 0.2);
    // Pixels of at least one device pixel stay sharp; below that the display is shrunk
    // smoothly, since dropping rows and columns of a dot-matrix picture would lose dots.
    canvas.classList.toggle("shrunk", scale * ratio < 1);
    canvas.style.width = Math.floor(width * scale) + "px";
  }

  pad.hidden = !touch;
  document.body.classList.toggle("touch", touch);
  fit();
  main.classList.add("ready");
  window.addEventListener("resize", fit);
  window.addEventListener("orientationchange", fit);
  window.addEventListener("load", fit);
  if (window.visualViewport) window.visualViewport.addEventListener("resize", fit);
  if (window.ResizeObserver) new ResizeObserver(() => fit()).observe(document.documentElement);

  // --- Keys -----------------------------------------------------------------------------------
  canvas.focus();
  // A click anywhere but on the level choice gives the keyboard back to the game.
  document.addEventListener("click", event => {
    if (!event.target.closest("#options")) canvas.focus({preventScroll: true});
  });

  const levelChoice = document.getElementById("level");
  const levelKey = "brelvoxan.level";
  function levelFrom(text) {
    return /^[1-5]$/.test(text || "") ? text : null;
  }
  function storedLevel() {
    try {
      return levelFrom(window.localStorage.getItem(levelKey));
    } catch (e) {
      return null;  // storage refused (private mode, file page): the default level
    }
  }
  const query = new URLSearchParams(location.search);
  const level = levelFrom(query.get("level")) || storedLevel() || "1";
  // Up to 19 digits: always within the game's range of seeds.
  const seed = /^[0-9]{1,19}$/.test(query.get("seed") || "") ? query.get("seed") : null;
  levelChoice.value = level;
  // Remembers the level and puts it in the address: a new address loads the page again (and
  // starts a new game), the same address with it replaced does not.
  function chooseLevel(value, restart) {
    try {
      window.localStorage.setItem(levelKey, value);
    } catch (e) {
      // Not remembered; the address still carries it.
    }
    const params = new URLSearchParams(location.search);
    params.set("level", value);
    if (restart) location.search = params.toString();
    else history.replaceState(history.state, "", "?" + params.toString() + location.hash);
  }
  levelChoice.addEventListener("change", () => chooseLevel(levelChoice.value, true));
  canvas.addEventListener("blur", () => {
    if (running && !touch) say("Click the display to play.");
  });
  canvas.addEventListener("focus", () => {
    if (running) say("");
  });

  // An on-screen key is a key-down on the display, read by the same key map as the keyboard's.
  const keyEvents = {
    "1": {code: "Digit1", key: "1"},
    "2": {code: "Digit2", key: "2"},
    Up: {code: "ArrowUp", key: "ArrowUp"},
    Down: {code: "ArrowDown", key: "ArrowDown"},
    Left: {code: "ArrowLeft", key: "ArrowLeft"},
    Right: {code: "ArrowRight", key: "ArrowRight"},
    Enter: {code: "Enter", key: "Enter"},
    TakeBack: {code: "KeyZ", key: "z", ctrlKey: true},
    Hint: {code: "KeyH", key: "h"},
    Moves: {code: "KeyM", key: "m"},
  };

  function press(name) {
    const event = keyEvents[name];
    if (!event) return;
    canvas.dispatchEvent(new KeyboardEvent("keydown", Object.assign({bubbles: true,
                                                                     cancelable: true}, event)));
  }

  pad.addEventListener("click", event => {
    const button = event.target.closest("button[data-key]");
    if (!button) return;
    walk = null;
    press(button.dataset.key);
  });

  // A tap on a square walks the cursor box there one arrow at a time, each sent once the game
  // waits for a key again, so the slot never holds more than one; a tap on the square under the
  // box plays it. A key the game did not take as a cursor step (a pass or the result waiting
  // for any key) ends the walk.
  let walk = null;

  // The square of the cursor box as the display shows it: the box is the only drawing on the
  // dots between squares, so its corner and the middles of its top and left side are set there
  // and nowhere else. Null when no box is shown (the title, a pass, the result).
  function cursorSquare() {
    const dots = canvas.getContext("2d").getImageData(0, 0, boardSquares * squareWidth,
                                                      boardSquares * squareHeight).data;
    const set = (dotX, dotY) => {
      const at = ((dotY * dotHeight + 1) * boardSquares * squareWidth + dotX * dotWidth + 1) * 4;
      return dots[at] + dots[at + 1] + dots[at + 2] < 3 * 128;  // a dark dot
    };
    for (let x = 1; x <= boardSquares; x++) {
      for (let y = 1; y <= boardSquares; y++) {
        const left = (x - 1) * squareDots;
        const top = (y - 1) * squareDots;
        if (set(left, top) && set(left + squareDots / 2, top) && set(left, top + squareDots / 2)) {
          return {x, y};
        }
      }
    }
    return null;
  }

  function step() {
    if (!walk || !game) return;
    if (!game.waiting() || game.waits() === walk.sentAt) {
      requestAnimationFrame(step);
      return;
    }
    const at = cursorSquare();
    const {x, y} = walk.target;
    if (!at) {  // no box: the tap answers a wait for any key
      walk = null;
      press("Enter");
      return;
    }
    if (walk.expect && (at.x !== walk.expect.x || at.y !== walk.expect.y)) {
      walk = null;
      return;
    }
    let key = null;
    if (!walk.expect && at.x === x && at.y === y) key = "Enter";
    else if (at.x < x) key = "Right";
    else if (at.x > x) key = "Left";
    else if (at.y < y) key = "Down";
    else if (at.y > y) key = "Up";
    if (key === null || key === "Enter") {
      walk = null;
      if (key !== null) press("Enter");
      return;
    }
    walk.expect = {x: at.x + (key === "Right") - (key === "Left"),
                   y: at.y + (key === "Down") - (key === "Up")};
    walk.sentAt = game.waits();
    press(key);
    requestAnimationFrame(step);
  }

  canvas.addEventListener("click", event => {
    const box = canvas.getBoundingClientRect();
    const x = Math.floor((event.clientX - box.left) * width / box.width / squareWidth) + 1;
    const y = Math.floor((event.clientY - box.top) * height / box.height / squareHeight) + 1;
    if (x < 1 || x > boardSquares || y < 1 || y > boardSquares) return;
    walk = {target: {x, y}, expect: null, sentAt: -1};
    step();
  });

  // --- Start-up -------------------------------------------------------------------------------
  if (fromFile) {
    say(notServed);
  } else if (typeof WebAssembly !== "object") {
    say("This browser cannot run the game: it has no WebAssembly.");
  }

  // Offline play: the service worker keeps this release's files; registered once the page has
  // loaded, so that it never competes with the game's own start. When a new release's worker
  // takes over a page that an older one served, the page plays on with its own files and says
  // that the new version comes with the next load.
  if ("serviceWorker" in navigator && !fromFile) {
    const servedByWorker = !!navigator.serviceWorker.controller;
    navigator.serviceWorker.addEventListener("controllerchange", () => {
      if (!servedByWorker) return;
      const news = document.getElementById("news");
      news.textContent = "A new version is ready: it starts the next time you open this page.";
      news.hidden = false;
      fitted = "";
      fit();
    });
    window.addEventListener("load", () => {
      navigator.serviceWorker.register("sw.js").catch(error => console.warn(error));
    });
  }

  // The computer's thinking runs in a worker with the opponent alone, so that the page goes on
  // drawing and taking keys meanwhile. One worker for the whole page, made for the computer's
  // first move (at the searching levels it is ready well within the computer's pause) and
  // kept: what the engine keeps from one move to the next stays in it, as in the desktop game.
  // Each job is answered in turn. A worker that fails answers its jobs with null and is
  // replaced at the next job, which the game asks again after a pause.
  let thinker = null;
  let thinkerFailed = false;
  function startThinker() {
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
      if (thinkerFailed) {
        thinkerFailed = false;
        say("");
      }
      if (resolve) resolve(event.data instanceof Uint8Array ? event.data : null);
    };
    worker.onerror = event => {
      event.preventDefault();
      console.warn("the computer's thinking failed: " + (event.message || "not loaded"));
      worker.terminate();
      if (thinker === current) thinker = null;
      thinkerFailed = true;
      say("The computer's thinking could not be loaded; trying again.");
      waiting.splice(0).forEach(resolve => resolve(null));
    };
    thinker = current;
  }

  // The glyph files, packed and compressed into one file by the build (host/web/pack_glyphs.py):
  // fetched at once, unpacked by the browser's own decoder while the program loads, and read by
  // the game from memory (host/web/web_file.cpp). If they cannot be had, the game starts without
  // them and says that its glyphs could not be read, as the desktop game does.
  async function unpackGlyphs() {
    const files = new Map();
    if (fromFile || typeof DecompressionStream !== "function") return files;
    const response = await fetch(withRelease("brelvoxan.glyphs"));
    if (!response.ok) throw new Error("HTTP " + response.status);
    const bytes = new Uint8Array(await new Response(
        response.body.pipeThrough(new DecompressionStream("gzip"))).arrayBuffer());
    const view = new DataView(bytes.buffer);
    const names = new TextDecoder();
    for (let at = 0; at + 2 <= bytes.length;) {
      const nameLength = view.getUint16(at, true);
      const name = names.decode(bytes.subarray(at + 2, at + 2 + nameLength));
      at += 2 + nameLength;
      if (at + 4 > bytes.length) break;
      const size = view.getUint32(at, true);
      at += 4;
      if (at + size > bytes.length) break;
      files.set(name, bytes.subarray(at, at + size));
      at += size;
    }
    return files;
  }
  const glyphFiles = unpackGlyphs().catch(error => {
    console.warn("the glyph files could not be loaded: " + error);
    return new Map();
  });

  const module = {
    arguments: ["--level", level].concat(seed === null ? [] : ["--seed", seed]),
    locateFile: (path, folder) => folder + withRelease(path),
    canvas: canvas,
    // The game starts once the glyph files are unpacked, in a turn of the page of its own.
    preRun: [() => {
      module.addRunDependency("glyphs");
      glyphFiles.then(files => {
        module.glyphFiles = files;
        module.removeRunDependency("glyphs");
      });
    }],
    print: text => console.log(text),
    printErr: text => console.warn(text),
    onWindowSetUp: () => {
      running = true;
      game = {
        waiting: module._brelvoxan_waiting_for_key,
        waits: module._brelvoxan_key_waits,
      };
      say(touch || document.activeElement === canvas ? "" : "Click the display to play.");
    },
    onMessage: text => say(text),
    runJobElsewhere: job => {
      startThinker();
      return thinker ? thinker.run(job) : Promise.resolve(null);
    },
    // The title screen's level changed: the page's choice follows it.
    onLevel: value => {
      levelChoice.value = String(value);
      chooseLevel(levelChoice.value, false);
    },
    onAbort: what => {
      running = false;
      game = null;
      say(fromFile ? notServed : "The game stopped: " + what + ". Reload the page to start again.");
    },
  };
  // The program's files download from the start (index.html preloads them), but the program runs
  // only once the page has been drawn, so that its start never holds up the page's first picture.
  requestAnimationFrame(() => setTimeout(() => {
    const program = document.createElement("script");
    program.src = withRelease("brelvoxan.js");
    program.onerror = () => module.onAbort("its program could not be loaded");
    document.body.appendChild(program);
  }));
  if (/[?&]trace(&|$)/.test(location.search)) {
    module.brelvoxanTrace = [];
    module.brelvoxanWalking = () => walk !== null;
  }
  return module;
})();
