// web_start.mjs -- the web page's download and first frame, in Debian's chromium (headless): the bytes
// a server that compresses nothing sends, and the time from navigation to the game's first frame, from
// localhost and at 10 Mbit/s with 40 ms latency (Chromium's network emulation), each from a cold cache;
// and the frames a second it then plays.
// Usage: node bench/web_start.mjs SITE_DIR [RUNS]   (default 5). Prints one line a run and the medians.
import { launch, serve } from "../tools/chromium.mjs";

const [site, runs = 5] = process.argv.slice(2);
const server = await serve(site), browser = await launch();
const median = (xs) => [...xs].sort((a, b) => a - b)[xs.length >> 1];
for (const [name, network] of [["localhost", null], ["10 Mbit/s, 40 ms", { latency: 40, downloadThroughput: 10e6 / 8, uploadThroughput: 10e6 / 8 }]]) {
  const times = [], rates = [];
  for (let run = 0; run < runs; run++) {
    const context = await browser.newContext({ viewport: { width: 1024, height: 820 } });
    const page = await context.newPage();
    if (network) await (await context.newCDPSession(page)).send("Network.emulateNetworkConditions", { offline: false, ...network });
    server.sent = 0;
    await page.goto(server.url);
    times.push(await (await page.waitForFunction("window.Module && Module.frames > 0 && (Module.firstFrame || performance.now())", null, { timeout: 60000 })).jsonValue());
    // Then, from localhost, the pace of play over two seconds (the game's pause caps it near 100 a second).
    if (!network) {
      const first = await page.evaluate("Module.frames");
      await page.waitForTimeout(2000);
      rates.push((await page.evaluate("Module.frames") - first) / 2);
    }
    console.log(`${name}: ${server.sent} bytes, first frame at ${Math.round(times.at(-1))} ms`);
    await context.close();
  }
  console.log(`median ${name}: ${server.sent} bytes, first frame at ${Math.round(median(times))} ms` +
              (rates.length ? `, ${median(rates)} frames a second` : ""));
}
await browser.close();
server.close();
