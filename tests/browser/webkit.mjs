// webkit.mjs -- the page in Safari's engine: WebKitGTK's MiniBrowser, driven by Debian's WebKitWebDriver
// through the W3C WebDriver protocol (a few HTTP calls, no driver library), on the caller's display.
// Usage: node webkit.mjs URL   prints one JSON line: what the page showed, and whether its workers and
// its own thread have WebGL; the driver and the browser end with this program.
import { spawn } from "node:child_process";
import fs from "node:fs";
import net from "node:net";

const [url] = process.argv.slice(2);
const browser = ["4.1", "6.0"].map((v) => `/usr/lib/${process.env.ARCH_TRIPLET}/webkit2gtk-${v}/MiniBrowser`)
  .find((f) => fs.existsSync(f));
const port = await new Promise((found) => {
  const probe = net.createServer().listen(0, "127.0.0.1", () => {
    const { port } = probe.address();
    probe.close(() => found(port));
  });
});
const driver = spawn("WebKitWebDriver", [`--port=${port}`], { stdio: ["ignore", "ignore", "inherit"] });
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function call(method, path, body) {
  for (let tries = 0; ; tries++) {
    try {
      const r = await fetch(`http://127.0.0.1:${port}/session${path}`, { method, body: body && JSON.stringify(body),
        headers: { "Content-Type": "application/json" } });
      const { value } = await r.json();
      if (!r.ok) throw new Error(`${method} ${path}: ${JSON.stringify(value)}`);
      return value;
    } catch (e) {
      if (tries > 50 || !String(e.cause || e).includes("ECONNREFUSED")) throw e;
      await sleep(100);  // the driver is still starting
    }
  }
}

let session = null;
try {
  ({ sessionId: session } = await call("POST", "", { capabilities: { alwaysMatch: {
    "webkitgtk:browserOptions": { binary: browser, args: ["--automation"] } } } }));
  const run = (script) => call("POST", `/${session}/execute/async`, { script, args: [] });
  await call("POST", `/${session}/timeouts`, { script: 90000 });
  await call("POST", `/${session}/url`, { url });
  // Up to a minute for the first frames or a sentence.
  const seen = await run(`const done = arguments[0], end = Date.now() + 60000, wait = setInterval(() => {
    const frames = (window.Module && Module.frames) || 0, said = message.hidden ? "" : window["message-text"].textContent;
    if (frames > 30 || said || Date.now() > end) clearInterval(wait), done({frames, said}); }, 100);`);
  // Space held through the keyboard reaches the game's key state.
  if (seen.frames) await call("POST", `/${session}/actions`, { actions: [{ type: "key", id: "keys", actions: [{ type: "keyDown", value: "\uE00D" }] }] });
  if (seen.frames) seen.space = await run(`const done = arguments[0], from = Module.frames, wait = setInterval(() => Module.frames < from + 2
    || (clearInterval(wait), done(HEAPU8[_gameKeyState() + 32])), 5);`);
  await call("DELETE", `/${session}/actions`);
  seen.pageWebGL = await run("arguments[0](!!document.createElement('canvas').getContext('webgl'))");
  seen.workerWebGL = await run(`const w = new Worker(URL.createObjectURL(new Blob(["postMessage(typeof OffscreenCanvas ===" +
    " 'function' && !!new OffscreenCanvas(1, 1).getContext('webgl'))"]))); w.onmessage = (e) => arguments[0](e.data);`);
  console.log(JSON.stringify(seen));
} catch (e) {
  console.log(JSON.stringify({ error: String(e) }));
} finally {
  if (session) await call("DELETE", `/${session}`).catch(() => {});
  driver.kill();
}
