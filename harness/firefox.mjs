// firefox.mjs -- for the web benchmark and the Gecko test: Debian's firefox-esr, driven over WebDriver BiDi
// by puppeteer-core (which `npm ci` in tests/browser installs), on the X display it is given (headless,
// Firefox keeps WebGL off on a software renderer it does not trust). `touch`: with a touch screen.
import { createRequire } from "node:module";

const puppeteer = createRequire(new URL("../tests/browser/", import.meta.url))("puppeteer-core");

export const launch = ({ touch = false } = {}) => puppeteer.launch({
  browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: false,
  extraPrefsFirefox: { "webgl.force-enabled": true, ...(touch && { "dom.w3c_touch_events.enabled": 1, "dom.maxtouchpoints.testing.value": 5 }) },
});
