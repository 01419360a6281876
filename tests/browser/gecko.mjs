// gecko.mjs -- the page in Gecko: Debian's firefox-esr, driven over WebDriver BiDi by puppeteer-core, on a
// private display (headless, Firefox keeps WebGL off on a renderer it does not trust), with a touch
// screen. It plays, the keyboard and a touch button each hold Space, and with the server gone a reload
// plays offline. Usage: harness/xvfb.py node tests/browser/gecko.mjs SITE_DIR   (prints what it proved)
import { createRequire } from "node:module";
import { serve } from "../../harness/chromium.mjs";

const puppeteer = createRequire(import.meta.url)("puppeteer-core");
const server = await serve(process.argv[2]);
const browser = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: false,
  extraPrefsFirefox: { "webgl.force-enabled": true, "dom.w3c_touch_events.enabled": 1, "dom.maxtouchpoints.testing.value": 5 } });
const page = await browser.newPage(), js = (code) => page.evaluate(code);
async function until(code, what) {  // until CODE holds in the page, up to a minute
  for (let i = 0; !(await js(code)); i++) {
    if (i > 600) throw new Error(`Gecko: ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}
const plays = () => until("!!(window.Module && Module.frames > 10) && message.hidden", "the game does not play");
async function space(how, want) {  // Space pressed or let go (HOW), and the game's key state two frames on
  await how();
  await until(`new Promise(done => { const from = Module.frames, wait = setInterval(() => Module.frames < from + 2
    || (clearInterval(wait), done(HEAPU8[_gameKeyState() + 32] === ${want})), 5); })`, `Space is not ${want}`);
}
try {
  await page.setViewport({ width: 1024, height: 820 });
  await page.goto(server.url);
  await plays();
  await space(() => page.keyboard.down(" "), 1);
  await space(() => page.keyboard.up(" "), 0);
  const [x, y, w, h] = await js("(r => [r.x, r.y, r.width, r.height])(document.querySelector('[aria-label=Fire]').getBoundingClientRect())");
  await space(() => page.touchscreen.touchStart(x + w / 2, y + h / 2), 1);
  await space(() => page.touchscreen.touchEnd(), 0);
  await until("caches.keys().then(k => Promise.all(k.map(n => caches.open(n).then(c => c.keys())))).then(a => a.map(f => f.length).join() === '12')", "nothing kept for offline play");
  server.closeAllConnections();
  server.close();
  await page.reload();
  await plays();
  console.log("Gecko plays the page with the keyboard, a touch button, and offline");
} finally {
  await browser.close();
  server.close();
}
