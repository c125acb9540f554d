// The page's choice of the computer's level. The level comes from ?level=N in the address, else
// from the level last chosen on this page (kept in the browser's local storage), else the game's
// default; choosing another restarts the game. The levels and the default are the game's own,
// from geometry.js, so the choice and the check of an address follow any change to them.

const levelStore = "brelvoxan.level";
const levelNames = {min: "one move ahead", max: "perfect endgames"};

// The level N written as the game's levels are ("3"), or null.
function levelFrom(text, geometry) {
  if (!/^[1-9][0-9]{0,2}$/.test(text || "")) return null;
  const level = Number(text);
  return level >= geometry.minLevel && level <= geometry.maxLevel ? text : null;
}

function storedLevel(geometry) {
  try {
    return levelFrom(window.localStorage.getItem(levelStore), geometry);
  } catch (e) {
    return null;  // storage refused (private mode, file page): the default level
  }
}

// Remembers the level and puts it in the address: a new address loads the page again (and
// starts a new game), the same address with it replaced does not.
function rememberLevel(value, restart) {
  try {
    window.localStorage.setItem(levelStore, value);
  } catch (e) {
    // Not remembered; the address still carries it.
  }
  const params = new URLSearchParams(location.search);
  params.set("level", value);
  if (restart) location.search = params.toString();
  else history.replaceState(history.state, "", "?" + params.toString() + location.hash);
}

// Fills the choice with the game's levels and sets it to the level this page plays. Returns that
// level and follow(level), which sets the choice to the level the title screen shows.
function startLevelChoice(geometry) {
  const choice = document.getElementById("level");
  for (let level = geometry.minLevel; level <= geometry.maxLevel; level++) {
    const name = level === geometry.minLevel   ? levelNames.min
                 : level === geometry.maxLevel ? levelNames.max
                                               : "";
    choice.add(new Option(name ? level + ": " + name : String(level), String(level)));
  }
  const level = levelFrom(new URLSearchParams(location.search).get("level"), geometry) ||
                storedLevel(geometry) || String(geometry.defaultLevel);
  choice.value = level;
  choice.addEventListener("change", () => rememberLevel(choice.value, true));
  return {
    level,
    follow: value => {
      choice.value = String(value);
      rememberLevel(choice.value, false);
    },
  };
}
