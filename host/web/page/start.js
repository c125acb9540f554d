// The page around the game: sizes the display to the screen, gives touch screens on-screen keys
// and taps on the board's squares, keeps the keyboard on the display, caches the page for
// playing offline, and shows what happens while the program loads or if it fails. Adding ?trace
// to the address makes the game record its sleeps, key waits, keys and paints in
// Module.brelvoxanTrace (for the browser test and the benchmark).
// The computer's level comes from the address or the page's choice (level.js); ?seed=N repeats
// the choices of levels 2 and up among equally good moves. The title screen's level (its Left and
// Right keys) and the choice on the page follow each other.

const notServed = "This page cannot run from a file: its program must be served by a web " +
                  "server. Run tools/serve-web.sh and open the address it prints.";

// Emscripten's Module: the program's arguments and files, and the page's answers to what the
// program reports. `game` is null until the program's window is set up and after it stopped.
function startPage() {
  const geometry = brelvoxanGeometry;
  const canvas = document.getElementById("display");
  const status = document.getElementById("status");
  const say = text => {
    status.textContent = text;
  };
  const touch = matchMedia("(any-pointer: coarse)").matches || navigator.maxTouchPoints > 0;
  const fromFile = location.protocol === "file:";
  // The release this page belongs to, written by the build. It goes into the address of every
  // file the page loads, so that the service worker gives the page that release's files.
  const release = document.documentElement.dataset.release || "";
  const withRelease = name => name + "?r=" + encodeURIComponent(release);
  let game = null;

  document.getElementById("pad").hidden = !touch;
  document.body.classList.toggle("touch", touch);
  const refit = fitDisplay(canvas, geometry);
  const levels = startLevelChoice(geometry);
  const walking = startKeys(canvas, geometry, touch, () => game, say);
  if (fromFile) {
    say(notServed);
  } else if (typeof WebAssembly !== "object") {
    say("This browser cannot run the game: it has no WebAssembly.");
  }
  if (!fromFile) startOfflinePlay(refit);
  const think = makeThinker(withRelease, say);
  const glyphFiles = loadGlyphs(withRelease, fromFile);
  const seed = new URLSearchParams(location.search).get("seed");

  const module = {
    // Up to 19 digits: always within the game's range of seeds.
    arguments: ["--level", levels.level].concat(
        /^[0-9]{1,19}$/.test(seed || "") ? ["--seed", seed] : []),
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
      game = {waiting: module._brelvoxan_waiting_for_key, waits: module._brelvoxan_key_waits};
      say(touch || document.activeElement === canvas ? "" : "Click the display to play.");
    },
    onMessage: text => say(text),
    runJobElsewhere: think,
    onLevel: levels.follow,  // the title screen's level changed
    onAbort: what => {
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
    module.brelvoxanWalking = walking;
  }
  return module;
}

var Module = startPage();
