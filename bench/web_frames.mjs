// web_frames.mjs -- the frames a player sees of the web page: the animation frames the browser presents a
// second while the game plays, against a reference page in the same run that draws one blended, textured
// 1024 x 768 picture per animation frame in a canvas of the game's size; the game's own steps a second (its
// pace); the longest main-thread task while playing. In Debian's chromium (headless, SwiftShader's software
// WebGL) also with the processor 4 times slower (Chromium's CPU throttling), and the WebGL calls per picture
// the game draws; in Gecko (firefox-esr, through WebDriver BiDi) and WebKit (WebKitGTK's MiniBrowser,
// through WebKitWebDriver) at the machine's own pace, on an X display (harness/xvfb.py; Mesa's llvmpipe).
// Usage: node bench/web_frames.mjs SITE_DIR [RUNS] [SECONDS] [chromium|firefox|webkit]
//   (default 3 runs of 5 s in chromium). One line a run, then the medians.
import { launch as launchFirefox } from "../harness/firefox.mjs";
import { spawn } from "node:child_process";
import fs from "node:fs";
import { createRequire } from "node:module";
import net from "node:net";
import { launch, serve } from "../harness/chromium.mjs";

const [site, runs = 3, seconds = 5, engine = "chromium"] = process.argv.slice(2);
const server = await serve(site);
const median = (xs) => [...xs].sort((a, b) => a - b)[xs.length >> 1];
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The reference: a 1024 x 1024 texture of noise, blended over a black 1024 x 768 canvas, once per animation frame.
const REFERENCE = `<!doctype html><body style="margin:0;background:#000"><canvas width=1024 height=768></canvas><script>
const gl = document.querySelector("canvas").getContext("webgl");
const shader = (type, text) => { const s = gl.createShader(type); gl.shaderSource(s, text); gl.compileShader(s); return s; };
const program = gl.createProgram();
gl.attachShader(program, shader(gl.VERTEX_SHADER, "attribute vec2 p; varying vec2 t; void main() { t = p * 0.5 + 0.5; gl_Position = vec4(p, 0, 1); }"));
gl.attachShader(program, shader(gl.FRAGMENT_SHADER, "precision mediump float; varying vec2 t; uniform sampler2D s; void main() { gl_FragColor = texture2D(s, t); }"));
gl.linkProgram(program);
gl.useProgram(program);
gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]), gl.STATIC_DRAW);
gl.enableVertexAttribArray(0);
gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
const noise = new Uint8Array(1024 * 1024 * 4).map(() => Math.random() * 256);
gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, 1024, 1024, 0, gl.RGBA, gl.UNSIGNED_BYTE, noise);
gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.LINEAR);
gl.enable(gl.BLEND);
gl.blendFunc(gl.SRC_ALPHA, gl.ONE_MINUS_SRC_ALPHA);
const draw = () => { gl.clear(gl.COLOR_BUFFER_BIT); gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4); requestAnimationFrame(draw); };
requestAnimationFrame(draw);
</script>`;
const reference = "data:text/html," + encodeURIComponent(REFERENCE);

// Installed once a page plays: every animation frame counted, and the longest task since `longest` was
// zeroed, where the browser reports tasks (chromium; elsewhere it stays null).
const COUNTERS = `(() => { window.presented = 0; window.longest = null;
  const count = () => { presented++; requestAnimationFrame(count); };
  requestAnimationFrame(count);
  if ((PerformanceObserver.supportedEntryTypes || []).includes("longtask"))
    longest = 0, new PerformanceObserver((list) => list.getEntries().forEach((e) => (longest = Math.max(longest, e.duration))))
      .observe({ type: "longtask" }); })()`;

// Every WebGL call counted by name, before the page's scripts make their context (chromium).
const CALL_COUNTER = `(() => { window.glCalls = {};
  for (const proto of [WebGLRenderingContext.prototype]) for (const name of Object.getOwnPropertyNames(proto)) {
    const f = Object.getOwnPropertyDescriptor(proto, name).value;
    if (typeof f !== "function" || name === "constructor") continue;
    proto[name] = function (...args) { glCalls[name] = (glCalls[name] || 0) + 1; return f.apply(this, args); };
  } })()`;

// Each engine's driver: open(slower, init) gives a fresh page ({goto, eval, close}) at `slower` times the
// processor's pace (chromium alone), with the script `init` before the page's own (chromium alone).
async function chromium() {
  const browser = await launch();
  return {
    slowing: [1, 4],
    async open(slower, init) {
      const context = await browser.newContext({ viewport: { width: 1024, height: 820 } });
      if (init) await context.addInitScript(init);
      const page = await context.newPage(), cdp = await context.newCDPSession(page);
      if (slower > 1) await cdp.send("Emulation.setCPUThrottlingRate", { rate: slower });
      return { goto: (url) => page.goto(url), eval: (js) => page.evaluate(js), close: () => context.close() };
    },
    close: () => browser.close(),
  };
}

async function firefox() {
  const browser = await launchFirefox();
  return {
    slowing: [1],
    async open() {
      const context = await browser.createBrowserContext(), page = await context.newPage();
      await page.setViewport({ width: 1024, height: 820 });
      return { goto: (url) => page.goto(url), eval: (js) => page.evaluate(js), close: () => context.close() };
    },
    close: () => browser.close(),
  };
}

async function webkit() {
  const port = await new Promise((resolve) => { const s = net.createServer().listen(0, "127.0.0.1", () => { const p = s.address().port; s.close(() => resolve(p)); }); });
  const driver = spawn("WebKitWebDriver", [`--port=${port}`], { stdio: "ignore" });
  const call = async (method, path, body) => {
    for (let tries = 0; ; tries++) {
      try {
        const answer = await fetch(`http://127.0.0.1:${port}/session${path}`, { method, body: body && JSON.stringify(body),
                                                                              headers: { "Content-Type": "application/json" } });
        return (await answer.json()).value;
      } catch (e) {
        if (tries > 50) throw e;
        await sleep(200);  // the driver is still starting
      }
    }
  };
  const binary = fs.readdirSync("/usr/lib").filter((d) => d.endsWith("-linux-gnu")).flatMap((d) => fs.readdirSync(`/usr/lib/${d}`)
    .filter((w) => w.startsWith("webkit2gtk-")).map((w) => `/usr/lib/${d}/${w}/MiniBrowser`))[0];
  return {
    slowing: [1],
    async open() {
      const { sessionId } = await call("POST", "", { capabilities: { alwaysMatch: { "webkitgtk:browserOptions": {
        binary, args: ["--automation", "--geometry=1024x820"] } } } });
      return { goto: (url) => call("POST", `/${sessionId}/url`, { url }),
               eval: (js) => call("POST", `/${sessionId}/execute/sync`, { script: `return (${js})`, args: [] }),
               close: () => call("DELETE", `/${sessionId}`) };
    },
    close: async () => driver.kill(),
  };
}

const browser = await { chromium, firefox, webkit }[engine]();
const until = async (page, js) => {
  for (const end = Date.now() + 120000; !(await page.eval(js)); await sleep(100))
    if (Date.now() > end) throw new Error(`${engine}: never ${js}`);
};

// Animation frames, the game's steps (0 for the reference) and the longest task over `seconds`, once settled.
async function measure(page) {
  await page.eval(COUNTERS);
  await sleep(1000);
  const from = await page.eval("(longest = longest === null ? null : 0, [presented, (window.Module && Module.frames) || 0, performance.now()])");
  await sleep(seconds * 1000);
  const to = await page.eval("[presented, (window.Module && Module.frames) || 0, performance.now(), longest]");
  const span = (to[2] - from[2]) / 1000;
  return { presented: (to[0] - from[0]) / span, steps: (to[1] - from[1]) / span, longest: to[3] };
}

const tasks = (ms) => (ms === null ? "not reported" : ms === 0 ? "none over 50 ms" : `${Math.round(ms)} ms`);
const PLAYING = "!!(window.Module && Module.frames > 0)";
for (const slower of browser.slowing) {
  const rows = { reference: [], game: [], ratio: [], steps: [], longest: [] };
  for (let run = 0; run < runs; run++) {
    let page = await browser.open(slower);
    await page.goto(reference);
    const drawn = await measure(page);
    await page.close();
    page = await browser.open(slower);
    await page.goto(server.url);
    await until(page, PLAYING);
    const game = await measure(page);
    await page.close();
    rows.reference.push(drawn.presented);
    rows.game.push(game.presented);
    rows.ratio.push(game.presented / drawn.presented);
    rows.steps.push(game.steps);
    rows.longest.push(game.longest);
    console.log(`${engine}, CPU ${slower}x: presented ${game.presented.toFixed(1)} a second (reference ${drawn.presented.toFixed(1)}, ` +
                `ratio ${(game.presented / drawn.presented).toFixed(2)}), the game's pace ${game.steps.toFixed(1)} steps a second, ` +
                `longest task while playing ${tasks(game.longest)}`);
  }
  console.log(`median ${engine}, CPU ${slower}x: presented ${median(rows.game).toFixed(1)}, reference ${median(rows.reference).toFixed(1)}, ` +
              `ratio ${median(rows.ratio).toFixed(2)}, pace ${median(rows.steps).toFixed(1)}, longest task ${tasks(median(rows.longest))}`);
}

// The WebGL calls of one drawn picture (a picture begins with its clear), over two seconds of play at 1x.
if (engine === "chromium") {
  const page = await browser.open(1, CALL_COUNTER);
  await page.goto(server.url);
  await until(page, PLAYING);
  await sleep(1000);
  const before = await page.eval("({ ...glCalls })");
  await sleep(2000);
  const after = await page.eval("({ ...glCalls })");
  const pictures = (after.clear || 0) - (before.clear || 0);
  const perPicture = Object.keys(after).map((name) => [name, ((after[name] || 0) - (before[name] || 0)) / pictures])
    .filter(([, n]) => n > 0).sort((a, b) => b[1] - a[1]);
  console.log(`WebGL calls per drawn picture (${pictures} pictures): ${perPicture.reduce((s, [, n]) => s + n, 0).toFixed(1)}: ` +
              perPicture.map(([name, n]) => `${name} ${n.toFixed(1)}`).join(", "));
  await page.close();
}
await browser.close();
server.close();
