// download.js -- the game's three files (script, WebAssembly, pictures, each gzip-packed) downloaded
// at once, with progress and unpacked; a failure named and tried again; and the files handed to the
// service worker for offline play.
"use strict";

const FILES = [["js", "driftrock.js.gz", "the game's script"], ["wasm", "driftrock.wasm.gz", "the game's program"],
               ["data", "driftrock.data.gz", "the game's pictures"]];
const got = {}, sizes = {}, received = {}, downloaded = {};  // unpacked by key; as downloaded by name
// Asked for as this page's build, which a newer build's service worker refuses (409): a page that was
// still loading as that build took over starts afresh, never playing a mix of the two.
const BUILD = document.documentElement.dataset.build;

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
    response = await fetch(`${file}?b=${BUILD}`);
  } catch (e) {
    throw failed("the connection failed");
  }
  if (response.status === 409) throw Object.assign(new Error(`${file}: another build`), { newer: true });
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

// The game's files, and then the game, once `graphics` (a promise) says the browser offers WebGL: with
// none the game would run and show nothing, so the page says so instead, and does not start it.
async function load(graphics = true) {
  $("message").hidden = true;
  $("loading").hidden = false;
  const downloads = Promise.allSettled(FILES.filter(([key]) => !got[key]).map(download));
  if (!(await graphics)) return say("Driftrock draws with WebGL, which this browser does not offer (or has turned off).");
  const results = await downloads;
  const failures = results.filter((r) => r.status === "rejected").map((r) => r.reason.message);
  if (results.some((r) => r.status === "rejected" && r.reason.newer)) return say("A new version of Driftrock arrived while this page loaded: play again to start it.", "again");
  // A frame sandboxed without its origin may read only what its server lets any site read.
  if (failures.length && self.origin === "null") {
    return say("Driftrock cannot read its own files in this frame: the page showing it has to allow it its origin " +
               "(allow-same-origin), or the server has to let other sites read them (Access-Control-Allow-Origin).");
  }
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
$("retry").onclick = () => load();

// Once the game plays, the service worker keeps its files (sw.js): the next visit plays offline,
// and learns of a new build, which the visit after it plays. The worker takes the three large files as
// they were downloaded (a cache it empties), so that no server sends them twice. A page with no
// service workers (a private window, an address that is neither https nor localhost, workers turned
// off) plays the same. Shown in another page's frame (a game portal's), it keeps nothing: it cannot be
// opened offline or installed there, and every site framing it would keep a copy of its own.
async function keepForOffline() {
  if (!("serviceWorker" in navigator) || !window.isSecureContext || window.top !== window) return;
  if (!navigator.serviceWorker.controller) {  // a first visit: the files came from the server
    const handed = await caches.open("driftrock " + new URL(".", location.href).href + " downloaded");  // sw.js's HANDED
    for (const [file, bytes] of Object.entries(downloaded)) await handed.put(file, new Response(bytes));
  }
  await navigator.serviceWorker.register("sw.js", { updateViaCache: "none" });
}
