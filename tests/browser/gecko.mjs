// gecko.mjs -- the page in Gecko (harness/firefox.mjs: Debian's firefox-esr over WebDriver BiDi), with a
// touch screen. It plays, the keyboard and a touch button each hold Space, and with the server gone a reload
// plays offline. Usage: harness/xvfb.py node tests/browser/gecko.mjs SITE_DIR   (prints what it proved)
import { serve } from "../../harness/chromium.mjs";
import { launch } from "../../harness/firefox.mjs";

const server = await serve(process.argv[2]), browser = await launch({ touch: true }), page = await browser.newPage();
async function until(code, what) {  // until CODE holds in the page, up to a minute
  for (let i = 0; !(await page.evaluate(code)); i++) {
    if (i > 600) throw new Error(`Gecko: ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}
const plays = () => until("!!(window.Module && Module.frames > 10) && message.hidden", "the game does not play");
// Space pressed or let go by HOW, and the game's key state two frames on.
const space = async (how, want) => (await how(), until(`new Promise(done => { const from = Module.frames, wait = setInterval(() =>
  Module.frames < from + 2 || (clearInterval(wait), done(HEAPU8[_gameKeyState() + 32] === ${want})), 5); })`, `Space is not ${want}`));
try {
  await page.setViewport({ width: 1024, height: 820 });
  await page.goto(server.url);
  await plays();
  await space(() => page.keyboard.down(" "), 1);
  await space(() => page.keyboard.up(" "), 0);
  const [x, y] = await page.evaluate("(r => [r.x + r.width / 2, r.y + r.height / 2])(document.querySelector('[aria-label=Fire]').getBoundingClientRect())");
  await space(() => page.touchscreen.touchStart(x, y), 1);
  await space(() => page.touchscreen.touchEnd(), 0);
  // The build's cache alone, known by name before it is opened (opening the page's hand-over as the worker
  // deletes it would make it again, empty), holding every file.
  await until("caches.keys().then(k => k.length === 1 && !k[0].endsWith(' downloaded') && caches.open(k[0]).then(c => c.keys()).then(f => f.length === 12))",
    "nothing kept for offline play");
  server.closeAllConnections();
  server.close();
  await page.reload();
  await plays();
  console.log("Gecko plays the page with the keyboard, a touch button, and offline");
} finally {
  await browser.close();
  server.close();
}
