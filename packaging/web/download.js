// download.js -- the game's three files (script, WebAssembly, pictures, each gzip-packed) downloaded
// at once, with progress and unpacked, each checked to be of this page's build; a failure or a stall
// named and tried again; and the files handed to the service worker for offline play. Hands on load()
// and keepForOffline().
"use strict";
(() => {
  const { $, canvas, say } = Driftrock.page;
  const FILES = [["js", "driftrock.js.gz", "the game's script"], ["wasm", "driftrock.wasm.gz", "the game's program"],
                 ["data", "driftrock.data.gz", "the game's pictures"]];
  const got = {}, expected = {}, received = {}, downloaded = {};  // unpacked by key; as downloaded by name
  // Asked for as this page's build, which a newer build's service worker refuses (409): a page that was
  // still loading as that build took over starts afresh, never playing a mix of the two.
  const BUILD = document.documentElement.dataset.build;
  // Each file as this build made it: [packed size, unpacked size, SHA-256 packed, SHA-256 unpacked]
  // (make_site.py writes them). Without a worker a page of one build could otherwise meet another's
  // files: a Try again across a deploy, or files fetched one by one during an upload.
  const MADE = JSON.parse(document.documentElement.dataset.files || "{}");
  // A connection that stays open and sends nothing: given up after this long without a byte, longer
  // than a mobile network's hand-over or a lost packet's retries take.
  const STALL_MS = 15000;

  // The bar's first 60 parts are the download, the rest the game's start-up, a step a picture. Each
  // file counts by the size this build gave it (a server may send no length, or unpack it on the way).
  function progress() {
    const sum = (o) => Object.values(o).reduce((a, b) => a + b, 0);
    const done = Object.keys(received).map((key) => Math.min(received[key], expected[key] || received[key]));
    $("progress").max = 100;
    $("progress").value = 60 * done.reduce((a, b) => a + b, 0) / (sum(expected) || 1);
  }

  const hex = (bytes) => [...new Uint8Array(bytes)].map((b) => b.toString(16).padStart(2, "0")).join("");

  async function download([key, file, what]) {
    const failed = (why) => Object.assign(new Error(`Driftrock could not download ${what} (${file}): ${why}.`), { file });
    const made = MADE[file];
    expected[key] = made ? made[0] : 0;
    received[key] = 0;
    // A watchdog: each byte puts it back; STALL_MS without one ends the download.
    const abort = new AbortController();
    let stalled = false, watchdog;
    const watch = () => {
      clearTimeout(watchdog);
      watchdog = setTimeout(() => (stalled = true, abort.abort()), STALL_MS);
    };
    const chunks = [];
    try {
      watch();
      let response;
      try {
        response = await fetch(`${file}?b=${BUILD}`, { signal: abort.signal });
      } catch (e) {
        throw failed(stalled ? `the download stalled (nothing came for ${STALL_MS / 1000} s)` : "the connection failed");
      }
      if (response.status === 409) throw Object.assign(new Error(`${file}: another build`), { newer: true });
      if (!response.ok) throw failed(`the server answered ${response.status} ${response.statusText}`.trim());
      const reader = response.body.getReader();
      try {
        for (let part; watch(), !(part = await reader.read()).done;) {
          // Unpacked on the way (Content-Encoding, or a worker's copy), it counts against its unpacked size.
          if (!chunks.length && made && !(part.value[0] === 0x1f && part.value[1] === 0x8b)) expected[key] = made[1];
          chunks.push(part.value);
          received[key] += part.value.length;
          progress();
        }
      } catch (e) {
        throw failed(stalled ? `the download stalled (nothing came for ${STALL_MS / 1000} s)` : "the connection was cut off");
      }
    } finally {
      clearTimeout(watchdog);
    }
    let bytes = new Uint8Array(received[key]);
    chunks.reduce((at, chunk) => (bytes.set(chunk, at), at + chunk.length), 0);
    // Another build's file (where a page can hash: a secure context) is never played with this page.
    if (made && crypto.subtle && ![made[2], made[3]].includes(hex(await crypto.subtle.digest("SHA-256", bytes))))
      throw Object.assign(new Error(`${file}: another build`), { newer: true });
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
    // Refused by the host's security policy (the page says what it has to allow), or otherwise unread.
    script.onerror = () => Driftrock.page.stopped("the game's script did not run");
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
    // A page that a worker answered leaves the worker to the browser, which looks for a new one at each
    // visit (registering again would undo a worker's own unregistering).
    if (!("serviceWorker" in navigator) || !window.isSecureContext || window.top !== window ||
        navigator.serviceWorker.controller) return;
    // A first visit: the files came from the server.
    const handed = await caches.open("driftrock " + new URL(".", location.href).href + " downloaded");  // sw.js's HANDED
    for (const [file, bytes] of Object.entries(downloaded)) await handed.put(file, new Response(bytes));
    await navigator.serviceWorker.register("sw.js", { updateViaCache: "none" });
  }

  Driftrock.download = { load, keepForOffline, got };
})();
