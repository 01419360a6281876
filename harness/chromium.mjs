// chromium.mjs -- for the web tools, benchmark and tests: Debian's chromium, headless (driven by
// playwright-core, which `npm ci` in tests/browser installs), and a site folder served as a plain static
// server serves it, compressing nothing and counting the bytes it sends.
import { createRequire } from "node:module";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";

const { chromium } = createRequire(new URL("../tests/browser/", import.meta.url))("playwright-core");

// Software WebGL (SwiftShader); no network but loopback here, so the background services stay off.
// The back/forward cache on, as a player's browser has it. `args`: more of chromium's switches.
export const launch = (args = []) => chromium.launch({
  executablePath: "/usr/bin/chromium",
  ignoreDefaultArgs: ["--disable-back-forward-cache"],
  args: ["--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-first-run", "--disable-sync",
         "--disable-background-networking", "--disable-component-update", "--disable-quic", ...args],
});

// The types a static server gives the page's files (a service worker's script must come as JavaScript).
const TYPES = { ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".png": "image/png",
                ".webmanifest": "application/manifest+json", ".gz": "application/gzip" };

// SITE on 127.0.0.1 at a free port: the server, its address, and server.sent, the bytes sent so far.
export async function serve(site) {
  const server = http.createServer((request, response) => {
    const file = path.join(site, decodeURIComponent(request.url.split("?")[0]).replace(/\/$/, "/index.html"));
    fs.readFile(file, (error, data) => {
      if (error) return response.writeHead(404).end();
      server.sent += data.length;
      const type = TYPES[path.extname(file)] || "application/octet-stream";
      response.writeHead(200, { "Content-Length": data.length, "Content-Type": type }).end(data);
    });
  }).listen(0, "127.0.0.1");
  server.sent = 0;
  await new Promise((resolve) => server.on("listening", resolve));
  return Object.assign(server, { url: `http://127.0.0.1:${server.address().port}/` });
}
