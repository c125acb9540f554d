// The page around the game: sizes the display to the screen, gives touch screens on-screen keys
// and taps on the board's squares, keeps the keyboard on the display, caches the page for
// playing offline, and shows what happens while the program loads or if it fails. Adding ?trace
// to the address makes the game record its sleeps, key waits, keys and paints in
// Module.brelvoxanTrace (for the browser test and the benchmark).
// The computer's level comes from ?level=N in the address, else from the level last chosen on
// this page (kept in the browser's local storage), else 1; choosing another restarts the game.
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
  const level = levelFrom(new URLSearchParams(location.search).get("level")) || storedLevel() || "1";
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
  // loaded, so that it never competes with the game's own start.
  if ("serviceWorker" in navigator && !fromFile) {
    window.addEventListener("load", () => {
      navigator.serviceWorker.register("sw.js").catch(error => console.warn(error));
    });
  }

  const module = {
    arguments: ["--level", level],
    canvas: canvas,
    // The glyph files are unpacked in one turn of the page and the game starts in the next, so
    // that neither keeps the page from answering for long.
    preRun: [() => {
      module.addRunDependency("page");
      setTimeout(() => module.removeRunDependency("page"));
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
  // The program is fetched once the page has been drawn, so that the page shows at once and the
  // program's download and start never hold up its first picture.
  requestAnimationFrame(() => setTimeout(() => {
    const program = document.createElement("script");
    program.src = "brelvoxan.js";
    program.onerror = () => module.onAbort("its program could not be loaded");
    document.body.appendChild(program);
  }));
  if (/[?&]trace(&|$)/.test(location.search)) {
    module.brelvoxanTrace = [];
    module.brelvoxanWalking = () => walk !== null;
  }
  return module;
})();
