// web_screenshots.mjs -- the web page as each kind of device shows it, in Debian's chromium (headless), a
// moment into play: a desktop, a phone held sideways and upright (touch), and a narrow window.
// Usage: node tools/web_screenshots.mjs SITE_DIR OUT_DIR   (after `cd tests/browser && npm ci`; writes
// desktop, sideways, upright and narrow .png in OUT_DIR)
import fs from "node:fs";
import path from "node:path";
import { launch, serve } from "../harness/chromium.mjs";

const [site, out] = process.argv.slice(2);
fs.mkdirSync(out, { recursive: true });
const server = await serve(site), browser = await launch();
for (const [name, width, height, touch] of [["desktop", 1280, 800, false], ["sideways", 844, 390, true],
                                             ["upright", 390, 844, true], ["narrow", 360, 640, false]]) {
  const context = await browser.newContext({ viewport: { width, height }, hasTouch: touch, isMobile: touch });
  const page = await context.newPage();
  await page.goto(server.url);
  await page.waitForFunction("window.Module && Module.frames > 30", null, { timeout: 60000 });
  await page.screenshot({ path: path.join(out, name + ".png") });
  await context.close();
}
await browser.close();
server.close();
