// The page around the game: scales the display by the largest whole number of device pixels
// that fits, keeps the keyboard on the display, and shows what happens while the program loads
// or if it fails. Adding ?trace to the address makes the game record its sleeps, key waits,
// keys and paints in Module.brelvoxanTrace (for the browser test and the benchmark).
// The computer's level comes from ?level=N in the address, else from the level last chosen on
// this page (kept in the browser's local storage), else 1; choosing another restarts the game.
"use strict";

var Module = (function () {
  // The display's size in pixels, from geometry.js (written by the build from the game's header).
  const width = brelvoxanGeometry.clientWidth;
  const height = brelvoxanGeometry.clientHeight;
  const canvas = document.getElementById("display");
  canvas.width = width;
  canvas.height = height;
  const status = document.getElementById("status");
  const main = document.querySelector("main");
  let running = false;

  function say(text) {
    status.textContent = text;
  }

  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const around = main.offsetHeight - canvas.offsetHeight;
    const room = Math.min((window.innerWidth - 32) * ratio / width,
                          (window.innerHeight - around) * ratio / height);
    // Below one device pixel per pixel whole numbers no longer fit: the display is shrunk
    // smoothly, since dropping rows and columns of a dot-matrix picture would lose dots.
    const scale = room >= 1 ? Math.floor(room) : Math.max(room, 0.25);
    canvas.classList.toggle("shrunk", scale < 1);
    canvas.style.width = width * scale / ratio + "px";
    canvas.style.height = height * scale / ratio + "px";
  }

  fit();
  window.addEventListener("resize", fit);
  canvas.focus();
  // A click anywhere but on the level choice gives the keyboard back to the game.
  document.addEventListener("click", event => {
    if (!event.target.closest("#level-choice")) canvas.focus();
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
  levelChoice.addEventListener("change", () => {
    try {
      window.localStorage.setItem(levelKey, levelChoice.value);
    } catch (e) {
      // Not remembered; the address still carries it.
    }
    const params = new URLSearchParams(location.search);
    params.set("level", levelChoice.value);
    location.search = params.toString();
  });
  canvas.addEventListener("blur", () => {
    if (running) say("Click the display to play.");
  });
  canvas.addEventListener("focus", () => {
    if (running) say("");
  });

  if (typeof WebAssembly !== "object") {
    say("This browser cannot run the game: it has no WebAssembly.");
  }

  const module = {
    arguments: ["--level", level],
    canvas: canvas,
    print: text => console.log(text),
    printErr: text => console.warn(text),
    onWindowSetUp: () => {
      running = true;
      say(document.activeElement === canvas ? "" : "Click the display to play.");
    },
    onMessage: text => say(text),
    onAbort: what => {
      running = false;
      say("The game stopped: " + what + ". Reload the page to start again.");
    },
  };
  if (/[?&]trace(&|$)/.test(location.search)) module.brelvoxanTrace = [];
  return module;
})();
