// web_screenshots.mjs -- the web page as each kind of device shows it, in Debian's chromium (headless), a
// moment into play: a desktop, a phone held sideways and upright (touch), and a narrow window.
// Usage: node tools/web_screenshots.mjs SITE_DIR OUT_DIR   (after `cd tests/browser && npm ci`; writes
// desktop, sideways, upright and narrow .png in OUT_DIR)
import { createRequire } from "node:module";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";

const { chromium } = createRequire(new URL("../tests/browser/", import.meta.url))("playwright-core");
const [site, out] = process.argv.slice(2);
fs.mkdirSync(out, { recursive: true });
const server = http.createServer((request, response) => {
  const file = path.join(site, decodeURIComponent(request.url.split("?")[0]).replace(/\/$/, "/index.html"));
  fs.readFile(file, (error, data) => (error ? response.writeHead(404).end() : response.writeHead(200).end(data)));
}).listen(0, "127.0.0.1");
await new Promise((resolve) => server.on("listening", resolve));
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-first-run", "--disable-sync",
         "--disable-background-networking", "--disable-component-update", "--disable-quic"],
});
for (const [name, width, height, touch] of [["desktop", 1280, 800, false], ["sideways", 844, 390, true],
                                             ["upright", 390, 844, true], ["narrow", 360, 640, false]]) {
  const context = await browser.newContext({ viewport: { width, height }, hasTouch: touch, isMobile: touch });
  const page = await context.newPage();
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.waitForFunction("window.Module && Module.frames > 30", null, { timeout: 60000 });
  await page.screenshot({ path: path.join(out, name + ".png") });
  await context.close();
}
await browser.close();
server.close();
