// sw.js -- the service worker: it keeps the page and every file the game needs, so that after one visit
// the game plays offline. Its cache is named by the build (a hash of the files, filled in by
// make_site.py); a new build's worker replaces it, and the old cache goes.
"use strict";
const BUILD = "@BUILD@";
const FILES = @FILES@;  // [name, SHA-256 of its bytes], each as built
const CACHE = "driftrock-" + BUILD;
const KEPT = new Set(FILES.map(([name]) => name));

const hex = (bytes) => [...new Uint8Array(bytes)].map((b) => b.toString(16).padStart(2, "0")).join("");

// A file exactly as built: as the page handed it over, having just downloaded it; else from the
// browser's own cache; else, or where those copies are of another build, from the server.
async function asBuilt(name, sha) {
  const copies = [() => caches.match(name, { cacheName: "driftrock-downloaded" }), () => fetch(name),
                  () => fetch(name, { cache: "reload" })];
  for (const copy of copies) {
    const response = await copy();
    if (!response) continue;
    if (!response.ok) throw new Error(`${name}: ${response.status}`);
    if (hex(await crypto.subtle.digest("SHA-256", await response.clone().arrayBuffer())) === sha) return response;
  }
  throw new Error(`${name} is not as built`);
}

// Every file kept only when it is whole and exactly as built: a failed, cut-off or damaged answer
// fails the install, nothing of it is kept, and the build kept before (if any) stays.
self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    try {
      for (const [name, sha] of FILES) await cache.put(name, await asBuilt(name, sha));
    } catch (e) {
      await caches.delete(CACHE);
      throw e;
    }
    // The page that found this build has already read its files: the next visit plays this one.
    await self.skipWaiting();
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys())
      if (name.startsWith("driftrock-") && name !== CACHE) await caches.delete(name);
  })());
});

// The kept files from the cache, the page for the folder's own address too; anything else, or a file
// missing from the cache, from the network as if there were no worker (its failures included).
self.addEventListener("fetch", (event) => {
  const url = new URL(event.request.url), scope = new URL(self.registration.scope);
  if (event.request.method !== "GET" || url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return;
  const name = url.pathname.slice(scope.pathname.length) || "index.html";
  if (!KEPT.has(name)) return;
  event.respondWith(caches.open(CACHE).then((cache) => cache.match(name)).then((kept) => kept || fetch(event.request)));
});
