// driver.mjs -- Debian's chromium, headless, for tests/binary/test_browser.py: one JSON command a line on standard
// input, one JSON answer a line on standard output. Usage: node driver.mjs URL [SWITCH...] (the switches
// go to chromium)
import readline from "node:readline";
import { launch } from "../../harness/chromium.mjs";

const [url, ...switches] = process.argv.slice(2);
const browser = await launch(switches);
let context, page, cdp, errors, where;  // where: the page, or (`frame`) the frame in it that holds ours

// A fresh page: a desktop by default, or a touch screen (a phone's); `init` runs before the page's own
// scripts (a gamepad handed to it); `at` opens another address than the server's (a file, or a page
// that shows ours in a `frame`); `scripts` false turns JavaScript off.
async function open({ width = 1024, height = 840, touch = false, init, at = url, frame = false, scripts = true }) {
  if (context) await context.close();
  context = await browser.newContext({ viewport: { width, height }, hasTouch: !!touch, isMobile: !!touch, javaScriptEnabled: scripts });
  if (init) await context.addInitScript(init);
  page = await context.newPage();
  page.setDefaultTimeout(120000);  // a starved machine answers late; the tests' own waits say what never came
  errors = [];
  page.on("pageerror", (e) => errors.push(String(e)));
  page.on("console", (m) => m.type() === "error" && errors.push(m.text()));
  cdp = await context.newCDPSession(page);
  cdp.on("Page.backForwardCacheNotUsed", (e) => (notCached = e));
  await cdp.send("Page.enable");
  await page.goto(at);
  where = frame ? page.mainFrame().childFrames()[0] : page;
}
let notCached = null;  // why the back/forward cache last refused the page, as the browser says

const keys = { Left: "ArrowLeft", Right: "ArrowRight", Up: "ArrowUp", Down: "ArrowDown", space: "Space" };
const ops = {
  goto: async (how) => (await open(how), null),
  eval: async ({ js, top }) => (top ? page : where).evaluate(js),  // `top`: in the page around the frame
  // The canvas's own box, taken as it stands (an element screenshot would first wait for the page to
  // settle between two animation frames, which a busy machine may not give it in time).
  shot: async () => (await page.screenshot({ clip: await where.locator("canvas").boundingBox() })).toString("base64"),
  errors: async () => errors,
  // The same page again in the same profile (its service worker and caches kept), at an address
  // relative to the server's; back; the network off or on; a DevTools protocol call.
  visit: async ({ at = "" }) => (await page.goto(new URL(at, url).href), null),
  back: async () => (await page.goBack({ waitUntil: "commit" }), notCached),
  offline: async ({ on }) => (await context.setOffline(on), null),
  cdp: async ({ method, params }) => cdp.send(method, params),
  key: async ({ how, key, reloads }) => (await Promise.all([reloads && page.waitForEvent("load"), page.keyboard[how](keys[key] || key)]), null),
  click: async ({ selector }) => (await where.click(selector), null),
};
for await (const line of readline.createInterface({ input: process.stdin })) {
  const { op, ...args } = JSON.parse(line);
  try {
    console.log(JSON.stringify({ ok: (await ops[op](args)) ?? null }));
  } catch (e) {
    console.log(JSON.stringify({ error: String(e) }));
  }
}
await browser.close();
