#!/usr/bin/python3
"""A new release of the page reaches a player who has visited before, and no page ever runs with
a mix of two releases' files. The built page (release A) is served and visited, with its service
worker installed; then the server switches to release B, a copy whose game program sets another
window title and whose thinking worker says that it is release B when it starts. On the first
load after the switch the page is either A, with every file of A and a note that a new version is
ready, or B with every file of B; the second load is B. Each load plays a move at level 3, the
first after the switch only once the new release has taken over (when it shows A), so that the
page loads its thinking worker then.

Usage: python3 tests/web/release_test.py BUILD_DIR   (from the repository root; exit 77 = skipped)
Screenshots stay in BUILD_DIR/release/."""

import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import page_driver  # noqa: E402  pylint: disable=wrong-import-position

ROOT = Path(__file__).resolve().parent.parent.parent
TITLE_MARK = " (B)"
CHANNEL = "brelvoxan-release-test"
# A legal first move, as in the keys_during_pause case of browser_test.py.
MOVE = ("1", "ARROW_RIGHT", "ARROW_RIGHT", "ARROW_RIGHT", "ARROW_DOWN", "ARROW_DOWN", "ENTER")


def changed_release(site, folder):
    """Release B in `folder`: the page in `site` with a changed program and thinking worker, and
    its index.html and sw.js written again by the build's own script."""
    shutil.copytree(site, folder)
    program = folder / "brelvoxan.js"
    text = program.read_text()
    title = "document.title=UTF8ToString(title)"
    if title not in text:
        raise RuntimeError(f"{program} does not set the window title as expected")
    program.write_text(text.replace(title, f"{title} + {TITLE_MARK!r}"))
    worker = folder / "brelvoxan-think.js"
    worker.write_text(worker.read_text()
                      + f"\nnew BroadcastChannel({CHANNEL!r}).postMessage('B');\n")
    service = (site / "sw.js").read_text()
    release = re.search(r'const release = "([^"]+)"', service).group(1)
    files = re.findall(r'^\s*"([^"]+)": "[0-9a-f]{64}"', service, re.MULTILINE)
    subprocess.run(["cmake", f"-DPAGE={folder}", f"-DSOURCE={ROOT}/host/web/page",
                    f"-DVERSION={release.rsplit('-', 1)[0]}", f"-DFILES={','.join(files)}",
                    "-P", str(ROOT / "host" / "web" / "make_page.cmake")], check=True)


def release_of(folder):
    return re.search(r'const release = "([^"]+)"', (folder / "sw.js").read_text()).group(1)


def load(page, server):
    """Loads the page at level 3, listening for its thinking worker's word; returns the key
    waits."""
    page.load(server.url("index.html?trace&level=3&seed=7"))
    waits = page.settle(0)
    page.js(f"""window.workerSaid = null;
                new BroadcastChannel({CHANNEL!r}).onmessage = event => {{
                  window.workerSaid = event.data;
                }};""")
    return waits


def move(page, waits):
    """Plays a move, which makes the page load its thinking worker for the computer's reply, and
    returns what the page shows and ran: its release, the window title its program set, whether
    it says a new version is ready, whether its thinking worker said it was release B, and the
    number of the worker's answers."""
    from selenium.webdriver.common.keys import Keys  # pylint: disable=import-outside-toplevel

    for key in MOVE:
        page.press(getattr(Keys, key, key))
        waits = page.settle(waits)
    return shown(page)


def shown(page):
    return page.js("""
        const news = document.getElementById("news");
        return {release: document.documentElement.dataset.release, title: document.title,
                news: news.hidden ? "" : news.textContent, workerSaid: window.workerSaid,
                answers: Module.brelvoxanTrace.filter(e => e.kind === "answer").length};""")


def steps(page, server, site, check):
    work = Path(tempfile.mkdtemp(prefix="brelvoxan-release-"))
    try:
        old = work / "a"
        new = work / "b"
        shutil.copytree(site, old)
        changed_release(site, new)
        old_release, new_release = release_of(old), release_of(new)
        if old_release == new_release:
            check.fail(f"the changed page kept the release name {old_release}")
            return

        server.folder = old
        page.forget(server.url(""))
        first = move(page, load(page, server))
        page.wait_until("the service worker in charge",
                        lambda: page.js("return !!navigator.serviceWorker.controller"))
        expect(check, "the first visit", first, old_release, False, False)

        server.folder = new
        waits = load(page, server)
        if shown(page)["release"] == old_release:
            # The old release's page: it says so once the new one has taken over, and then
            # loads its thinking worker, which must still be its own.
            page.wait_until("the note that a new version is ready",
                            lambda: shown(page)["news"])
        after = move(page, waits)
        if after["release"] == old_release:
            expect(check, "the first load after the release", after, old_release, False, True)
        else:
            expect(check, "the first load after the release", after, new_release, True, False)
        page.driver.save_screenshot(str(check.out / "first_load_after_release.png"))
        second = move(page, load(page, server))
        expect(check, "the second load after the release", second, new_release, True, False)
        page.driver.save_screenshot(str(check.out / "second_load_after_release.png"))
        print(f"releases {old_release} then {new_release}: the first load after the switch "
              f"showed {after['release']}" + (" and said a new version is ready"
                                              if after["news"] else "")
              + f"; the second showed {second['release']}")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def expect(check, when, got, release, new, news):
    """The page of `release` (the new one when `new`) with every file of its own, saying that a
    new version is ready exactly when `news`."""
    if got["release"] != release:
        check.fail(f"{when}: the page is release {got['release']}, expected {release}")
    if (TITLE_MARK in got["title"]) != new:
        check.fail(f"{when}: the page of release {got['release']} ran the program of the other "
                   f"release (window title '{got['title']}')")
    if got["answers"] != 1:
        check.fail(f"{when}: {got['answers']} answers of the thinking worker, expected 1")
    if (got["workerSaid"] == "B") != new:
        check.fail(f"{when}: the page of release {got['release']} ran the thinking worker of "
                   "the other release")
    if bool(got["news"]) != news:
        check.fail(f"{when}: the note on the page is '{got['news']}'")


def main():
    return page_driver.run_checks("release_test.py",
                                  lambda build: page_driver.Check(build, "release"), steps,
                                  ("index.html", "brelvoxan.js", "brelvoxan-think.js", "sw.js"))


if __name__ == "__main__":
    sys.exit(main())
