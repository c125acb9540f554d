// The display on the page, sized from geometry.js (written by the build from the game's header),
// and its fit to the screen beside the on-screen keys and the bar below it.

// Sets the canvas to the display's size and keeps it fitted while the window changes. The fit is
// the largest whole number of device pixels per pixel where the display fits at one CSS pixel
// per pixel or more; on smaller screens it fills the room, so a phone shows it across its width.
// The style sheet already keeps it inside the page whatever this computes, so a viewport that is
// not settled yet can make it small for a moment, never cut off. Returns refit(), for a change
// of the page's own content.
function fitDisplay(canvas, geometry) {
  const width = geometry.clientWidth;
  const height = geometry.clientHeight;
  const margin = 8;  // CSS pixels kept clear around the page's content
  const main = document.getElementById("page");
  const pad = document.getElementById("pad");
  const bar = document.getElementById("bar");
  canvas.width = width;
  canvas.height = height;

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

  fit();
  main.classList.add("ready");
  window.addEventListener("resize", fit);
  window.addEventListener("orientationchange", fit);
  window.addEventListener("load", fit);
  if (window.visualViewport) window.visualViewport.addEventListener("resize", fit);
  if (window.ResizeObserver) new ResizeObserver(() => fit()).observe(document.documentElement);
  return () => {
    fitted = "";
    fit();
  };
}
