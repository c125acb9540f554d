// Keys and touch: the keyboard kept on the display, the on-screen keys of touch screens and taps
// on the board's squares. Every on-screen key and tap becomes a key-down on the display, read by
// the same key map as the keyboard's.

// The on-screen keys: a button with data-key="NAME" in index.html sends the key-down named here.
// A new on-screen key is one button there and one line here.
const onScreenKeys = {
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

function pressKey(canvas, name) {
  const event = onScreenKeys[name];
  if (!event) return;
  canvas.dispatchEvent(new KeyboardEvent("keydown", Object.assign({bubbles: true,
                                                                   cancelable: true}, event)));
}

// The board's squares on the display: a square is as wide as a character cell and as many dots
// high as wide, and the board's eight squares fill its width.
function boardSquares(geometry) {
  const dots = geometry.cellWidth / geometry.dotWidth;
  return {
    count: geometry.boardWidth / geometry.cellWidth,
    dots,
    width: geometry.cellWidth,
    height: dots * geometry.dotHeight,
  };
}

// The square of the cursor box as the display shows it: the box is the only drawing on the dots
// between squares, so its corner and the middles of its top and left side are set there and
// nowhere else. Null when no box is shown (the title, a pass, the result).
function cursorSquare(canvas, geometry, squares) {
  const across = squares.count * squares.width;
  const dots = canvas.getContext("2d").getImageData(0, 0, across, squares.count * squares.height)
                   .data;
  const set = (dotX, dotY) => {
    const at = ((dotY * geometry.dotHeight + 1) * across + dotX * geometry.dotWidth + 1) * 4;
    return dots[at] + dots[at + 1] + dots[at + 2] < 3 * 128;  // a dark dot
  };
  const half = squares.dots / 2;
  for (let x = 1; x <= squares.count; x++) {
    for (let y = 1; y <= squares.count; y++) {
      const left = (x - 1) * squares.dots;
      const top = (y - 1) * squares.dots;
      if (set(left, top) && set(left + half, top) && set(left, top + half)) return {x, y};
    }
  }
  return null;
}

// The key that takes the cursor box from `at` one step towards `target` (Enter on it), or null
// when the box is not where the last step should have put it.
function stepTowards(at, target, expect) {
  if (expect) {
    if (at.x !== expect.x || at.y !== expect.y) return null;
  } else if (at.x === target.x && at.y === target.y) {
    return "Enter";
  }
  if (at.x < target.x) return "Right";
  if (at.x > target.x) return "Left";
  if (at.y < target.y) return "Down";
  if (at.y > target.y) return "Up";
  return null;
}

// A tap on a square walks the cursor box there one arrow at a time, each sent once the game
// waits for a key again, so the slot never holds more than one; a tap on the square under the
// box plays it. A key the game did not take as a cursor step (a pass or the result waiting for
// any key) ends the walk. `game()` is the running program's exports, or null.
function tapWalker(canvas, geometry, game) {
  const squares = boardSquares(geometry);
  let walk = null;

  function step() {
    const running = game();
    if (!walk || !running) return;
    if (!running.waiting() || running.waits() === walk.sentAt) {
      requestAnimationFrame(step);
      return;
    }
    const at = cursorSquare(canvas, geometry, squares);
    const key = at ? stepTowards(at, walk.target, walk.expect) : "Enter";
    if (key === null || key === "Enter") {  // no box: the tap answers a wait for any key
      walk = null;
      if (key !== null) pressKey(canvas, "Enter");
      return;
    }
    walk.expect = {x: at.x + (key === "Right") - (key === "Left"),
                   y: at.y + (key === "Down") - (key === "Up")};
    walk.sentAt = running.waits();
    pressKey(canvas, key);
    requestAnimationFrame(step);
  }

  canvas.addEventListener("click", event => {
    const box = canvas.getBoundingClientRect();
    const across = (event.clientX - box.left) * geometry.clientWidth / box.width;
    const down = (event.clientY - box.top) * geometry.clientHeight / box.height;
    const x = Math.floor(across / squares.width) + 1;
    const y = Math.floor(down / squares.height) + 1;
    if (x < 1 || x > squares.count || y < 1 || y > squares.count) return;
    walk = {target: {x, y}, expect: null, sentAt: -1};
    step();
  });
  return {
    walking: () => walk !== null,
    stop: () => {
      walk = null;
    },
  };
}

// Starts the keys: the keyboard on the display (a click anywhere but on the level choice gives it
// back), the on-screen keys, and taps on the board. `say` tells the player of a keyboard to click
// the display when it lost the keyboard. Returns walking(), whether a tap's walk is under way.
function startKeys(canvas, geometry, touch, game, say) {
  canvas.focus();
  document.addEventListener("click", event => {
    if (!event.target.closest("#options")) canvas.focus({preventScroll: true});
  });
  canvas.addEventListener("blur", () => {
    if (game() && !touch) say("Click the display to play.");
  });
  canvas.addEventListener("focus", () => {
    if (game()) say("");
  });
  const taps = tapWalker(canvas, geometry, game);
  document.getElementById("pad").addEventListener("click", event => {
    const button = event.target.closest("button[data-key]");
    if (!button) return;
    taps.stop();
    pressKey(canvas, button.dataset.key);
  });
  return taps.walking;
}
