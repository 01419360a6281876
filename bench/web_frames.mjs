// web_frames.mjs -- the frames a player sees of the web page, in Debian's chromium (headless, SwiftShader's
// software WebGL): the animation frames the browser presents a second while the game plays, against a
// reference page in the same run that draws one blended, textured 1024 x 768 picture per animation frame
// in a canvas of the game's size; the game's own steps a second (its pace); the same with the processor
// 4 times slower (Chromium's CPU throttling), with the longest main-thread task while playing; and the
// WebGL calls per picture the game draws.
// Usage: node bench/web_frames.mjs SITE_DIR [RUNS] [SECONDS]   (default 3 runs of 5 s). One line a run, then medians.
import { launch, serve } from "../harness/chromium.mjs";

const [site, runs = 3, seconds = 5] = process.argv.slice(2);
const server = await serve(site), browser = await launch();
const median = (xs) => [...xs].sort((a, b) => a - b)[xs.length >> 1];

// Before any page script: every animation frame counted, and the longest task since `longest` was zeroed.
const counters = () => {
  window.presented = 0;
  window.longest = 0;
  const count = () => { presented++; requestAnimationFrame(count); };
  requestAnimationFrame(count);
  new PerformanceObserver((list) => list.getEntries().forEach((e) => (longest = Math.max(longest, e.duration))))
    .observe({ type: "longtask", buffered: true });
};

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

// Every WebGL call counted by name, before the page's scripts make their context.
const callCounter = () => {
  window.glCalls = {};
  for (const proto of [WebGLRenderingContext.prototype, window.WebGL2RenderingContext && WebGL2RenderingContext.prototype]) {
    if (!proto) continue;
    for (const name of Object.getOwnPropertyNames(proto)) {
      const f = Object.getOwnPropertyDescriptor(proto, name).value;
      if (typeof f !== "function" || name === "constructor") continue;
      proto[name] = function (...args) { glCalls[name] = (glCalls[name] || 0) + 1; return f.apply(this, args); };
    }
  }
};

// A fresh context at `slower` times the processor's pace, with `init` before the page's scripts.
async function open(slower, init) {
  const context = await browser.newContext({ viewport: { width: 1024, height: 820 } });
  await context.addInitScript(init);
  const page = await context.newPage(), cdp = await context.newCDPSession(page);
  if (slower > 1) await cdp.send("Emulation.setCPUThrottlingRate", { rate: slower });
  return { context, page };
}

// Animation frames, the game's steps (0 for the reference) and the longest task over `seconds`, once settled.
async function measure(page) {
  await page.waitForTimeout(1000);
  const from = await page.evaluate(() => { longest = 0; return [presented, (window.Module && Module.frames) || 0, performance.now()]; });
  await page.waitForTimeout(seconds * 1000);
  const to = await page.evaluate(() => [presented, (window.Module && Module.frames) || 0, performance.now(), longest]);
  const span = (to[2] - from[2]) / 1000;
  return { presented: (to[0] - from[0]) / span, steps: (to[1] - from[1]) / span, longest: to[3] };
}

const playing = (page) => page.waitForFunction(() => window.Module && Module.frames > 0, null, { timeout: 120000 });
for (const slower of [1, 4]) {
  const rows = { reference: [], game: [], ratio: [], steps: [], longest: [] };
  for (let run = 0; run < runs; run++) {
    let { context, page } = await open(slower, counters);
    await page.route("**/reference", (route) => route.fulfill({ contentType: "text/html", body: REFERENCE }));
    await page.goto(server.url + "reference");
    const reference = await measure(page);
    await context.close();
    ({ context, page } = await open(slower, counters));
    await page.goto(server.url);
    await playing(page);
    const game = await measure(page);
    await context.close();
    rows.reference.push(reference.presented);
    rows.game.push(game.presented);
    rows.ratio.push(game.presented / reference.presented);
    rows.steps.push(game.steps);
    rows.longest.push(game.longest);
    console.log(`CPU ${slower}x: presented ${game.presented.toFixed(1)} a second (reference ${reference.presented.toFixed(1)}, ` +
                `ratio ${(game.presented / reference.presented).toFixed(2)}), the game's pace ${game.steps.toFixed(1)} steps a second, ` +
                `longest task while playing ${Math.round(game.longest)} ms`);
  }
  console.log(`median CPU ${slower}x: presented ${median(rows.game).toFixed(1)}, reference ${median(rows.reference).toFixed(1)}, ` +
              `ratio ${median(rows.ratio).toFixed(2)}, pace ${median(rows.steps).toFixed(1)}, longest task ${Math.round(median(rows.longest))} ms`);
}

// The WebGL calls of one drawn picture (a picture begins with its clear), over two seconds of play at 1x.
const { context, page } = await open(1, `(${counters})(); (${callCounter})();`);
await page.goto(server.url);
await playing(page);
await page.waitForTimeout(1000);
const before = await page.evaluate(() => ({ ...glCalls }));
await page.waitForTimeout(2000);
const after = await page.evaluate(() => ({ ...glCalls }));
const pictures = (after.clear || 0) - (before.clear || 0);
const perPicture = Object.keys(after).map((name) => [name, ((after[name] || 0) - (before[name] || 0)) / pictures])
  .filter(([, n]) => n > 0).sort((a, b) => b[1] - a[1]);
console.log(`WebGL calls per drawn picture (${pictures} pictures): ${perPicture.reduce((s, [, n]) => s + n, 0).toFixed(1)}: ` +
            perPicture.map(([name, n]) => `${name} ${n.toFixed(1)}`).join(", "));
await context.close();
await browser.close();
server.close();
