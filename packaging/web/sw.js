// sw.js -- the service worker: it keeps the page and every file the game needs, so that after one visit
// the game plays offline. Its cache is named by its folder (another copy of the page on the same site
// keeps its own) and by the build (a hash of the files and of this worker, filled in by make_site.py);
// a new build's worker replaces it, and the folder's old cache goes.
"use strict";
const BUILD = "@BUILD@";
// [name, SHA-256 of its bytes as built, and for a packed file SHA-256 of them unpacked]
const FILES = @FILES@;
const OURS = "driftrock " + self.registration.scope + " ";  // every cache of this folder's
const CACHE = OURS + BUILD;
const HANDED = OURS + "downloaded";  // what the page downloaded, handed over (download.js names it alike)
const KEPT = new Set(FILES.map(([name]) => name));

const hex = (bytes) => [...new Uint8Array(bytes)].map((b) => b.toString(16).padStart(2, "0")).join("");

// A file exactly as built: as the page handed it over, having just downloaded it; else from the
// browser's own cache, first by the address the page asked it by (its build's), which the browser may
// hold already; else, or where those copies are of another build, from the server. A server that
// unpacked a packed file on the way (Content-Encoding) hands over its unpacked bytes, which the page
// reads alike. It is kept as a plain answer of its own: never a redirect, which a browser refuses to
// show as a page, and with no Content-Encoding for bytes already unpacked.
async function asBuilt(name, hashes) {
  const copies = [() => caches.match(name, { cacheName: HANDED }), () => fetch(`${name}?b=${BUILD}`), () => fetch(name),
                  () => fetch(name, { cache: "reload" })];
  for (const copy of copies) {
    const response = await copy();
    if (!response) continue;
    if (!response.ok) throw new Error(`${name}: ${response.status}`);
    const bytes = await response.arrayBuffer();
    if (hashes.includes(hex(await crypto.subtle.digest("SHA-256", bytes))))
      return new Response(bytes, { headers: { "Content-Type": response.headers.get("Content-Type") || "" } });
  }
  throw Object.assign(new Error(`${name} is not as built`), { altered: true });
}

// This folder's caches, every one (the build's, and what the page handed over).
async function forget() {
  for (const name of await caches.keys()) if (name.startsWith(OURS)) await caches.delete(name);
}

// Every file kept only when it is whole and exactly as built: a failed or cut-off answer fails the
// install, nothing of it is kept, and the build kept before (if any, under its own name) stays and plays.
// A file that the host changes on the way (an injected tag, say) can never be kept: then nothing of the
// folder is kept at all, and the next visit plays the new build from the network, not the old for ever.
self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    try {
      for (const [name, ...hashes] of FILES) await cache.put(name, await asBuilt(name, hashes));
    } catch (e) {
      await caches.delete(CACHE);
      if (e.altered) {
        console.warn("Driftrock is not kept for offline play: the host changes its files.", e.message);
        await forget();
        await self.registration.unregister();
      }
      throw e;
    }
    // The page that found this build has already read its files: the next visit plays this one.
    await self.skipWaiting();
  })());
});

// This folder's other caches go (and those of builds that named theirs "driftrock-…", shared by every
// folder of the site); other folders' stay.
self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys())
      if ((name.startsWith(OURS) && name !== CACHE) || name.startsWith("driftrock-")) await caches.delete(name);
  })());
});

// Whether the folder still holds Driftrock, asked of the network on each visit: where its worker is gone
// (404, 410) or its page is another's (the folder reused, for another project or a site that replaced
// the game), nothing stays kept, and the next visit gets what the host now serves (the page asked
// afresh, so that the browser's own cache holds it too). Offline, or a server that fails for a moment,
// changes nothing.
async function stillHere() {
  let worker, page;
  try {
    [worker, page] = await Promise.all([fetch("sw.js", { cache: "no-store" }), fetch(self.registration.scope, { cache: "reload" })]);
  } catch (e) {
    return;
  }
  const gone = worker.status === 404 || worker.status === 410;
  const another = page.ok && !/<html[^>]* data-build="[0-9a-f]{16}"/.test(await page.text());
  if (gone || another) {
    await forget();
    await self.registration.unregister();
  }
}

// The kept files from the cache, the page for the folder's own address too; anything else, or a file
// missing from the cache, from the network as if there were no worker (its failures included).
self.addEventListener("fetch", (event) => {
  const url = new URL(event.request.url), scope = new URL(self.registration.scope);
  if (event.request.method !== "GET" || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return;
  const name = url.pathname.slice(scope.pathname.length) || "index.html", asked = url.searchParams.get("b");
  if (!KEPT.has(name)) return;
  const visit = event.request.mode === "navigate";
  if (visit) event.waitUntil(stillHere());
  // A page of another build (a tab still loading as this one took over) gets none of this one's files;
  // a visit to an address that carries a build gets the page. Nothing kept (forgotten): the network.
  // (Matched, never opened: a cache that forget() deleted is not made again.)
  event.respondWith(caches.match(name, { cacheName: CACHE }).then((kept) => {
    if (!kept) return fetch(event.request);
    return asked && asked !== BUILD && !visit ? new Response("", { status: 409, statusText: "Another build" }) : kept;
  }));
});
