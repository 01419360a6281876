// web_start.mjs -- the web page's download and first frame, in Debian's chromium (headless): the bytes
// a server that compresses nothing sends, the time from navigation to the game's first frame and the
// longest main-thread task before it (the browser's Long Tasks API), from localhost, at 10 Mbit/s with
// 40 ms latency (Chromium's network emulation) and with the processor 4 times slower (Chromium's CPU
// throttling, a phone's pace), each from a cold cache; the bytes of a repeat visit (the service worker's
// files); and the frames a second it then plays.
// Usage: node bench/web_start.mjs SITE_DIR [RUNS]   (default 5). Prints one line a run and the medians.
import fs from "node:fs";
import { launch, serve } from "../harness/chromium.mjs";

const [site, runs = 5] = process.argv.slice(2);
const server = await serve(site), browser = await launch();
const median = (xs) => [...xs].sort((a, b) => a - b)[xs.length >> 1];
const firstFrame = (page) => page.waitForFunction(() => window.Module && Module.frames > 0 && Module.firstFrame, null, { timeout: 120000 });
const conditions = [["localhost", null, 1], ["10 Mbit/s, 40 ms", { latency: 40, downloadThroughput: 10e6 / 8, uploadThroughput: 10e6 / 8 }, 1],
                    ["localhost, CPU 4x slower", null, 4]];
for (const [name, network, slower] of conditions) {
  const times = [], rates = [], longest = [], again = [];
  for (let run = 0; run < runs; run++) {
    const context = await browser.newContext({ viewport: { width: 1024, height: 820 } });
    await context.addInitScript(() => {
      window.longest = 0;
      new PerformanceObserver((list) => list.getEntries().forEach((e) => (longest = Math.max(longest, e.duration))))
        .observe({ type: "longtask", buffered: true });
    });
    const page = await context.newPage(), cdp = await context.newCDPSession(page);
    if (network) await cdp.send("Network.emulateNetworkConditions", { offline: false, ...network });
    if (slower > 1) await cdp.send("Emulation.setCPUThrottlingRate", { rate: slower });
    server.sent = 0;
    await page.goto(server.url);
    times.push(await (await firstFrame(page)).jsonValue());
    longest.push(await page.evaluate(() => longest));
    const sent = server.sent;
    // Then, from localhost, the pace of play over two seconds (the game's pause caps it near 100 a second),
    // and a second visit, once the service worker keeps the files.
    if (!network && slower === 1) {
      const first = await page.evaluate(() => Module.frames);
      await page.waitForTimeout(2000);
      rates.push((await page.evaluate(() => Module.frames) - first) / 2);
      if (fs.existsSync(site + "/sw.js")) {
        await page.evaluate(() => navigator.serviceWorker.ready);
        server.sent = 0;
        await page.reload();
        await firstFrame(page);
        again.push(server.sent);
      }
    }
    console.log(`${name}: ${sent} bytes, first frame at ${Math.round(times.at(-1))} ms, longest task ${Math.round(longest.at(-1))} ms` +
                (again.length ? `; a repeat visit ${again.at(-1)} bytes` : ""));
    await context.close();
  }
  console.log(`median ${name}: first frame at ${Math.round(median(times))} ms, longest task ${Math.round(median(longest))} ms` +
              (rates.length ? `, ${median(rates)} frames a second` : "") + (again.length ? `, a repeat visit ${median(again)} bytes` : ""));
}
await browser.close();
server.close();
