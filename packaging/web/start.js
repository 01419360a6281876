// start.js -- last of the page's scripts: the game's Module (its canvas, the keys it reads a frame,
// its progress and its end), the one name the game's script reads, and the start, once the page is up
// and the browser can play.
"use strict";
(() => {
  const { $, canvas, say, stopped } = Driftrock.page;
  const { heldKeys, letGoOfTaps } = Driftrock.controls;
  const { load, keepForOffline } = Driftrock.download;
  const { hasWebGL } = Driftrock.graphics;

  // The browser's SDL draws every picture it loads, some 140, into a 2D canvas of its own and reads it
  // straight back: kept in memory rather than in the graphics, such a canvas is read back at once, where
  // the graphics would be asked for each one (a third of the start on software graphics).
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, options) {
    return getContext.call(this, type, type === "2d" ? { willReadFrequently: true, ...options } : options);
  };

  // Whether the browser has shown the last picture the game drew: an animation frame has come since.
  let animated = true;

  window.Module = {
    canvas: canvas,
    heldKeys,
    // Called once a frame, after it has read its keys.
    frameDone() {
      letGoOfTaps();
      if (!Module.frames) {  // the first: the picture is up (and the start-up benchmark's moment)
        Module.firstFrame = performance.now();
        $("loading").hidden = true;
        // Kept for offline play once the game is up, not while it starts.
        setTimeout(() => keepForOffline().catch((e) => console.warn("No offline play:", e.message)));
      }
      Module.frames = (Module.frames || 0) + 1;
    },
    // Whether this step's picture is drawn: the browser shows at most one picture an animation frame, so
    // the steps until the next one play undrawn, and its drawing goes to the pictures a player sees.
    pictureSeen() {
      if (!animated) return false;
      animated = false;
      requestAnimationFrame(() => (animated = true));
      return true;
    },
    startupStep() { $("progress").value += (100 - $("progress").value) * 0.03; },
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    setStatus() {},
    showFailure(message) { say(message.trim()); },
    onExit(status) {
      if (status === 0) say("The game has ended.", "again");
    },
    // The toolchain's own words go to the console; the player reads a sentence.
    onAbort: stopped,
  };

  // The rest once the page is up.
  setTimeout(async () => {
    if (location.protocol === "file:") {
      say("Driftrock has to come from a web server: a browser does not let a page opened as a file read the " +
          "game's files. In this folder run “python3 -m http.server 8000”, then open http://localhost:8000/");
    } else if (typeof DecompressionStream !== "function") {
      say("This browser is too old to unpack the game: Driftrock needs a current Chrome, Edge, Firefox or Safari.");
    } else {
      load(hasWebGL());  // the download goes on while the browser readies its graphics
    }
  });
})();
