// What a viewer sees of the page, as pictures of the whole browser window (1100 x 700): the first
// frame under "Click to start", a fixed-step frame at the title card (frame 2600, 52 s of seed 3),
// with F4 pressed (its message), and the page after ESC.
// Usage: NODE_PATH=$(scripts/web-browser.sh) node bench/web_shots.js SITE_DIR OUT_DIR
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const { serve, launch, open, until } = require("../tests/web/browser");

const [site, out] = process.argv.slice(2).map((p) => path.resolve(p));

(async () => {
  fs.mkdirSync(out, { recursive: true });
  const server = await serve(site);
  const browser = await launch(os.tmpdir());
  const base = `http://127.0.0.1:${server.address().port}/`;
  try {
    let { page } = await open(browser, base, "?seed=3&mute");
    await page.setViewport({ width: 1100, height: 700 });
    await until("the overlay", () => page.$eval("#start", (e) => !e.hidden).catch(() => false), 60);
    await new Promise((resolve) => setTimeout(resolve, 1000));
    await page.screenshot({ path: path.join(out, "page-1-click-to-start.png") });
    await page.close();

    ({ page } = await open(browser, base, "?seed=3&fixed-dt=0.02&frames=2600&mute&autostart"));
    await page.setViewport({ width: 1100, height: 700 });
    const seen = { done: false };
    page.on("console", (message) => { if (message.text() === "frames done") seen.done = true; });
    await until("frames done", () => seen.done, 900);
    await page.screenshot({ path: path.join(out, "page-2-titles.png") });
    await page.close();

    ({ page } = await open(browser, base, "?seed=3&mute&autostart"));
    await page.setViewport({ width: 1100, height: 700 });
    await new Promise((resolve) => setTimeout(resolve, 4000));
    await page.keyboard.press("F4");
    await new Promise((resolve) => setTimeout(resolve, 300));
    await page.screenshot({ path: path.join(out, "page-3-key-message.png") });
    await page.keyboard.press("Escape");
    await new Promise((resolve) => setTimeout(resolve, 1000));
    await page.screenshot({ path: path.join(out, "page-4-ended.png") });
    await page.close();
  } finally {
    await browser.close();
    server.close();
  }
  console.log("pictures of the page in " + out);
})().catch((error) => {
  console.error(error.message);
  process.exit(1);
});
