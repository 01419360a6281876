// webkit.mjs -- the page in Safari's engine, whose workers have no WebGL: WebKitGTK's MiniBrowser, driven
// by Debian's WebKitWebDriver through the W3C WebDriver protocol (a few HTTP calls, no driver library),
// on the caller's display (harness/xvfb.py), the folder served on 127.0.0.1. It must play, and Space must
// reach the game's key state. Usage: node webkit.mjs SITE   (exits 0 when it does)
import { spawn } from "node:child_process";
import fs from "node:fs";
import { serve } from "../../harness/chromium.mjs";

const server = await serve(process.argv[2]), probe = await serve(process.argv[2]);
const port = probe.address().port;  // a free one, for the driver
probe.close();
const browser = fs.readdirSync("/usr/lib").flatMap((d) => ["4.1", "6.0"].map((v) => `/usr/lib/${d}/webkit2gtk-${v}/MiniBrowser`))
  .find((f) => fs.existsSync(f));
spawn("WebKitWebDriver", [`--port=${port}`], { stdio: ["ignore", "ignore", "inherit"] });

async function call(method, path, body, tries = 50) {  // the driver may still be starting
  const answer = await fetch(`http://127.0.0.1:${port}/session${path}`, { method, body: body && JSON.stringify(body),
    headers: { "Content-Type": "application/json" } }).catch((e) => (tries ? null : Promise.reject(e)));
  if (!answer) return new Promise((r) => setTimeout(r, 100)).then(() => call(method, path, body, tries - 1));
  const { value } = await answer.json();
  if (!answer.ok) throw new Error(`${method} ${path}: ${JSON.stringify(value)}`);
  return value;
}

let seen = {};
try {
  const { sessionId } = await call("POST", "", { capabilities: { alwaysMatch: {
    "webkitgtk:browserOptions": { binary: browser, args: ["--automation"] } } } });
  const run = (script) => call("POST", `/${sessionId}/execute/async`, { script, args: [] });
  await call("POST", `/${sessionId}/timeouts`, { script: 90000 });
  await call("POST", `/${sessionId}/url`, { url: server.url });
  // Up to a minute for the first frames or a sentence; then Space held reaches the game's key state.
  seen = await run(`const done = arguments[0], end = Date.now() + 60000, wait = setInterval(() => {
    const frames = (window.Module && Module.frames) || 0, said = message.hidden ? "" : window["message-text"].textContent;
    if (frames > 30 || said || Date.now() > end) clearInterval(wait), done({frames, said}); }, 100);`);
  if (seen.frames) {
    await call("POST", `/${sessionId}/actions`, { actions: [{ type: "key", id: "keys", actions: [{ type: "keyDown", value: "\uE00D" }] }] });
    seen.space = await run(`const done = arguments[0], from = Module.frames, wait = setInterval(() => Module.frames < from + 2
      || (clearInterval(wait), done(HEAPU8[_gameKeyState() + 32])), 5);`);
  }
} catch (e) {
  seen.error = String(e);
}
console.log("webkit:", JSON.stringify(seen));
process.exit(seen.frames > 30 && seen.said === "" && seen.space === 1 ? 0 : 1);
