// page.js -- the page's side of Driftrock: it downloads the game (script, WebAssembly and pictures,
// each gzip-packed) and starts it; its touch controls and gamepad hold the game's five keys; full
// screen; and what the page says when a download fails, the picture is lost or the game ends.
"use strict";
const $ = (id) => document.getElementById(id);
const canvas = $("canvas");

// The browser's SDL listens for the page's unload, to turn it into a quit; the game has nothing to
// keep, and an unload listener would keep the page out of the browser's back/forward cache.
const listen = window.addEventListener;
window.addEventListener = function (type, ...rest) {
  if (type !== "unload") listen.call(this, type, ...rest);
};
canvas.addEventListener("contextmenu", (e) => e.preventDefault());
$("again").addEventListener("click", () => location.reload());

// What the page says over the picture, with the one button that follows from it, if any.
function say(text, button) {
  $("loading").hidden = true;
  $("message-text").textContent = text;
  for (const b of ["again", "retry"]) $(b).hidden = b !== button;
  $("message").hidden = false;
  if (button) $(button).focus();
}

// Whatever goes wrong that nothing else answers, while the game starts or plays (the game's script
// throwing where the browser's graphics refused it, say): a sentence and a fresh start, never a
// "Loading" that stays or a picture that freezes without a word. A sentence already shown stands.
function stopped(what) {
  console.error("Driftrock stopped:", what);
  if (typeof Module === "object") Module.halted = true;
  if ($("message").hidden) say("Driftrock stopped with an error it cannot recover from.", "again");
}
window.addEventListener("error", (e) => e instanceof ErrorEvent && stopped(e.message));
window.addEventListener("unhandledrejection", (e) => stopped(e.reason));

// --- The five keys the page holds, one bit a key in the order PlatformWeb reads them. ---------------
const BIT = { Fire: 1, Thrust: 2, Reverse: 4, "Turn right": 8, "Turn left": 16 };
const buttons = [...document.querySelectorAll("#pad button")];
const fingers = new Map();  // a touch's identifier -> the control under it
let tapped = 0;  // pressed since the last frame: a tap shorter than a frame still holds its key for one
let padSeen = false;

const bitOf = (button) => BIT[button.getAttribute("aria-label")];
function touchBits() {
  let bits = 0;
  for (const b of fingers.values()) bits |= bitOf(b);
  return bits;
}

// The control under a finger, or none: sliding off a control lets it go, sliding onto one presses it.
function follow(e) {
  const ours = [...e.changedTouches].filter((t) => e.type === "touchstart" || fingers.has(t.identifier));
  if (!ours.length) return;
  if (e.cancelable) e.preventDefault();  // no scrolling, zooming, selecting, long-press menu or imitated mouse
  for (const t of ours) {
    const under = document.elementFromPoint(t.clientX, t.clientY);
    const control = e.type.match(/end|cancel/) ? null : under && under.closest("#pad button");
    if (control && fingers.get(t.identifier) !== control) tapped |= bitOf(control);
    if (control) fingers.set(t.identifier, control);
    else fingers.delete(t.identifier);
  }
  if (e.type === "touchcancel") fingers.clear();  // the browser took the touches: nothing stays held
  for (const b of buttons) b.classList.toggle("held", [...fingers.values()].includes(b));
}
$("pad").addEventListener("touchstart", follow, { passive: false });
for (const type of ["touchmove", "touchend", "touchcancel"]) document.addEventListener(type, follow, { passive: false });
$("pad").addEventListener("contextmenu", (e) => e.preventDefault());

// The browser's gamepads in their standard mapping: the d-pad or the left stick past its dead zone
// turns, thrusts and reverses; the bottom face button or the right trigger fires.
const DEAD_ZONE = 0.4;
function padBits() {
  let bits = 0, seen = false;
  for (const pad of (navigator.getGamepads && navigator.getGamepads()) || []) {
    if (!pad || pad.connected === false) continue;
    seen = true;
    const down = (i) => pad.buttons[i] && (pad.buttons[i].pressed || pad.buttons[i].value > 0.5);
    const [x = 0, y = 0] = pad.axes;
    if (down(0) || down(7)) bits |= BIT.Fire;
    if (down(12) || y < -DEAD_ZONE) bits |= BIT.Thrust;
    if (down(13) || y > DEAD_ZONE) bits |= BIT.Reverse;
    if (down(15) || x > DEAD_ZONE) bits |= BIT["Turn right"];
    if (down(14) || x < -DEAD_ZONE) bits |= BIT["Turn left"];
  }
  if (seen !== padSeen) $("pad-line").hidden = !(padSeen = seen);
  return bits;
}
window.addEventListener("gamepadconnected", padBits);
window.addEventListener("gamepaddisconnected", padBits);

// --- The keyboard, full screen, and the device's own controls line. --------------------------------
const touch = navigator.maxTouchPoints > 0 || matchMedia("(any-pointer: coarse)").matches;
document.body.classList.toggle("touch", touch);
$("keys-line").hidden = touch;
$("touch-line").hidden = !touch;

// The game's keys play the game; they never scroll the page. In full screen the browser takes the
// first Escape to leave full screen: that press is not the game's, and only the next one ends it.
let leftFullScreen = -1e9;
window.addEventListener("keydown", (e) => {
  if (["ArrowUp", "ArrowDown", "ArrowLeft", "ArrowRight", " ", "Spacebar"].includes(e.key)) e.preventDefault();
  if (e.key === "Escape" && (document.fullscreenElement || performance.now() - leftFullScreen < 500)) e.stopImmediatePropagation();
}, true);
// A click gives the game the keyboard back (after the page lost it to another element or window).
canvas.addEventListener("mousedown", () => canvas.focus());

// (Installed as an app, the game opens full screen already: no button then.)
if (document.fullscreenEnabled && !matchMedia("(display-mode: fullscreen)").matches) {
  $("fullscreen").hidden = false;
  // The keyboard stays the game's: a button that kept the focus would take Space (fire) as a click, and
  // the browser gives the focus back to it when full screen ends.
  $("fullscreen").addEventListener("mousedown", (e) => e.preventDefault());
  $("fullscreen").onclick = () => canvas.focus() || document.documentElement.requestFullscreen().then(() => {
    if (touch && screen.orientation && screen.orientation.lock) screen.orientation.lock("landscape").catch(() => {});
  }, () => {});
  document.addEventListener("fullscreenchange", () => {
    $("fullscreen").hidden = !!document.fullscreenElement;
    if (!document.fullscreenElement) leftFullScreen = performance.now();
    canvas.focus();
  });
}

// A phone takes the graphics back from pages in the background: the picture cannot come back, so
// the game waits and the page offers a fresh start instead of a frozen picture.
canvas.addEventListener("webglcontextlost", (e) => {
  e.preventDefault();
  Module.halted = true;
  say("The game's picture was lost: the browser took its graphics back, as it may from a page in the background.", "again");
});

var Module = {
  canvas: canvas,
  heldKeys: () => touchBits() | tapped | padBits(),
  // Called once a frame, after it has read its keys.
  frameDone() {
    tapped = 0;
    if (!Module.frames) {  // the first: the picture is up (and the start-up benchmark's moment)
      Module.firstFrame = performance.now();
      $("loading").hidden = true;
      // Kept for offline play once the game is up, not while it starts.
      setTimeout(() => keepForOffline().catch((e) => console.warn("No offline play:", e.message)));
    }
    Module.frames = (Module.frames || 0) + 1;
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

// --- Downloading: the three files at once, with progress; what failed is named, and tried again. ---
const FILES = [["js", "driftrock.js.gz", "the game's script"], ["wasm", "driftrock.wasm.gz", "the game's program"],
               ["data", "driftrock.data.gz", "the game's pictures"]];
const got = {}, sizes = {}, received = {}, downloaded = {};  // unpacked by key; as downloaded by name

// The bar's first 60 parts are the download, the rest the game's start-up, a step a picture.
function progress() {
  const sum = (o) => Object.values(o).reduce((a, b) => a + b, 0);
  $("progress").max = 100;
  $("progress").value = 60 * sum(received) / (sum(sizes) || 1);
}

async function download([key, file, what]) {
  const failed = (why) => Object.assign(new Error(`Driftrock could not download ${what} (${file}): ${why}.`), { file });
  let response;
  try {
    response = await fetch(file);
  } catch (e) {
    throw failed("the connection failed");
  }
  if (!response.ok) throw failed(`the server answered ${response.status} ${response.statusText}`.trim());
  sizes[key] = +response.headers.get("Content-Length") || 0;
  const chunks = [], reader = response.body.getReader();
  received[key] = 0;
  try {
    for (let part; !(part = await reader.read()).done;) {
      chunks.push(part.value);
      received[key] += part.value.length;
      progress();
    }
  } catch (e) {
    throw failed("the connection was cut off");
  }
  let bytes = new Uint8Array(received[key]);
  chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
  downloaded[file] = bytes;
  // Packed with gzip; a server that already unpacked it on the way (Content-Encoding) hands it over plain.
  if (bytes[0] === 0x1f && bytes[1] === 0x8b) {
    try {
      const unpacked = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"));
      bytes = new Uint8Array(await new Response(unpacked).arrayBuffer());
    } catch (e) {
      throw failed("it arrived damaged");
    }
  }
  got[key] = bytes;
}

async function load() {
  $("message").hidden = true;
  $("loading").hidden = false;
  const results = await Promise.allSettled(FILES.filter(([key]) => !got[key]).map(download));
  const failures = results.filter((r) => r.status === "rejected").map((r) => r.reason.message);
  if (failures.length) {
    console.error(...failures);
    return say(failures.join(" ") + " Check the connection, then try again.", "retry");
  }
  Module.wasmBinary = got.wasm;
  Module.getPreloadedPackage = () => got.data.buffer;
  const script = document.createElement("script");
  script.src = URL.createObjectURL(new Blob([got.js], { type: "text/javascript" }));
  document.body.appendChild(script);
  canvas.focus();
}
$("retry").onclick = load;

// Once the game plays, the service worker keeps its files (sw.js): the next visit plays offline,
// and learns of a new build, which the visit after it plays. The worker takes the three large files as
// they were downloaded (a cache it empties), so that no server sends them twice. A page with no
// service workers (a private window, an address that is neither https nor localhost, workers turned
// off) plays the same.
async function keepForOffline() {
  if (!("serviceWorker" in navigator) || !window.isSecureContext) return;
  if (!navigator.serviceWorker.controller) {  // a first visit: the files came from the server
    const handed = await caches.open("driftrock " + new URL(".", location.href).href + " downloaded");  // sw.js's HANDED
    for (const [file, bytes] of Object.entries(downloaded)) await handed.put(file, new Response(bytes));
  }
  await navigator.serviceWorker.register("sw.js", { updateViaCache: "none" });
}

// Whether the browser offers WebGL where the game draws: on the page's own thread. A trial context
// there, let go at once (the game's own comes later). A page's first context is slow to make on a
// phone, so a worker's OffscreenCanvas first readies the graphics off the page's thread; its answer
// decides nothing, since a browser may offer WebGL in one and not the other (WebKit's workers have
// none, and a browser with WebGL turned off may still have it in workers). A worker that never
// answers is given up on after WARM_UP ms.
const WARM_UP = 1500;
function hasWebGL() {
  const here = () => {
    try {
      const gl = document.createElement("canvas").getContext("webgl");
      const lose = gl && gl.getExtension("WEBGL_lose_context");
      if (lose) lose.loseContext();
      return !!gl;
    } catch (e) {
      return false;
    }
  };
  if (typeof OffscreenCanvas !== "function" || typeof Worker !== "function") return Promise.resolve(here());
  return new Promise((answer) => {
    let worker = null;
    const done = () => {
      clearTimeout(late);
      if (worker) worker.terminate();
      answer(here());
    };
    const late = setTimeout(done, WARM_UP);
    try {
      const ask = "try { new OffscreenCanvas(1, 1).getContext('webgl'); } finally { postMessage(0); }";
      worker = new Worker(URL.createObjectURL(new Blob([ask], { type: "text/javascript" })));
      worker.onmessage = worker.onerror = done;
    } catch (e) {
      done();
    }
  });
}

// The rest once the page is up.
setTimeout(async () => {
  if (location.protocol === "file:") {
    say("Driftrock has to come from a web server: a browser does not let a page opened as a file read the " +
        "game's files. In this folder run “python3 -m http.server 8000”, then open http://localhost:8000/");
  } else if (!(await hasWebGL())) {
    // With no WebGL the game would run and show nothing: say so instead, and do not start it.
    say("Driftrock draws with WebGL, which this browser does not offer (or has turned off).");
  } else if (typeof DecompressionStream !== "function") {
    say("This browser is too old to unpack the game: Driftrock needs a current Chrome, Edge, Firefox or Safari.");
  } else {
    load();
  }
});
