// Offline play: the service worker (sw.js) keeps this release's files. It is registered once the
// page has loaded, so that it never competes with the game's own start. When a new release's
// worker takes over a page that an older one served, the page plays on with its own files and
// says that the new version comes with the next load; `refit` fits the display around the note.
function startOfflinePlay(refit) {
  if (!("serviceWorker" in navigator)) return;
  const servedByWorker = !!navigator.serviceWorker.controller;
  navigator.serviceWorker.addEventListener("controllerchange", () => {
    if (!servedByWorker) return;
    const news = document.getElementById("news");
    news.textContent = "A new version is ready: it starts the next time you open this page.";
    news.hidden = false;
    refit();
  });
  window.addEventListener("load", () => {
    navigator.serviceWorker.register("sw.js").catch(error => console.warn(error));
  });
}
