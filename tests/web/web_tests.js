// The web page's tests: Debian's chromium, headless with WebGL on SwiftShader, driven through the
// DevTools protocol (puppeteer-core), against the site served from this process. Also the program's
// headless runs under node. Prints one line per test and "N passed, M failed" last.
// Usage: node web_tests.js SITE_DIR OUT_DIR DESKTOP_PROGRAM   (WEB_TESTS=REGEX: only the tests it matches)
"use strict";
const assert = require("assert/strict");
const { execFileSync } = require("child_process");
const fs = require("fs");
const path = require("path");
const { serve, launch, open, until } = require("./browser");

const [site, out, desktop] = process.argv.slice(2).map((p) => path.resolve(p));
const seeds = [1, 2, 3];
// Through the page each run of the script costs minutes of software rendering: seed 3 by default,
// WEB_PAGE_SEEDS="1 2 3" for all. The headless runs under node take every seed.
const pageSeeds = (process.env.WEB_PAGE_SEEDS || "3").split(/\s+/).map(Number);
const step = "0.02";
const loopFrames = 3550;  // 71 s at 0.02 s: one run of the script

// A test that cannot run yet on this build says why instead of passing.
class Skip extends Error {}

const visible = (page, id) => page.$eval("#" + id, (element) => !element.hidden);
const statusText = (page) => page.evaluate(() => UTF8ToString(Module._karvosta_status_text()));

// ---- the tests -----------------------------------------------------------------------------------

function desktopLog(seed) {
  const file = path.join(out, `desktop-seed${seed}.log`);
  execFileSync(desktop, ["--headless", "--seconds", "71", "--fixed-dt", step, "--seed", String(seed), "--event-log", file],
    { stdio: "ignore" });
  return fs.readFileSync(file, "utf8");
}

// Frames in the sample frames of a WAV file's data chunk (16-bit samples).
function wavFrames(file) {
  const bytes = fs.readFileSync(file);
  const channels = bytes.readUInt16LE(22);
  const data = bytes.indexOf("data", 12);
  return bytes.readUInt32LE(data + 4) / (2 * channels);
}

const tests = [
  ["headless runs under node give the desktop's event logs", async () => {
    for (const seed of seeds) {
      const web = execFileSync("node", ["--no-experimental-fetch", path.join(site, "karvosta.js"), "--headless",
        "--seconds", "71", "--fixed-dt", step, "--seed", String(seed), "--event-log", "/dev/eventlog"],
        { cwd: site, stdio: ["ignore", "pipe", "ignore"] }).toString();
      assert.equal(web, desktopLog(seed), `seed ${seed}`);
    }
  }],

  ["the page loads without a console error and shows its first frame", async (browser, base) => {
    const { page, seen } = await open(browser, base, "?autostart&mute&frames=5");
    await until("frames done", () => seen.lines.includes("frames done"), 60);
    assert.deepEqual(seen.errors, []);
    assert.ok(!(await visible(page, "message")), "no message over the picture");
    // What would be an error dialog (and, without frames=N, a notice in the page): every file the
    // program reads is in the page's data.
    assert.deepEqual(seen.warnings.filter((line) => line.startsWith("Error")), []);
    // Some pixel of the kept frame is not black.
    const lit = await page.evaluate(() => {
      const copy = document.createElement("canvas");
      copy.width = Module.canvas.width;
      copy.height = Module.canvas.height;
      const context = copy.getContext("2d");
      context.drawImage(Module.canvas, 0, 0);
      const pixels = context.getImageData(0, 0, copy.width, copy.height).data;
      return pixels.some((value, i) => i % 4 !== 3 && value > 0);
    });
    assert.ok(lit, "the frame is not black");
    await page.close();
  }],

  ["missing data or a missing WebGL give the page's message", async (browser, base) => {
    let { page } = await open(browser, base, "missing-data/?autostart&mute");
    await until("the message", () => visible(page, "message"), 30);
    let text = await page.$eval("#message", (element) => element.textContent);
    assert.match(text, /data could not be loaded.*404/);
    await page.close();
    // A browser that gives no WebGL context, as one with WebGL switched off does.
    page = await browser.newPage();
    await page.evaluateOnNewDocument(() => {
      const getContext = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
        return /webgl/.test(type) ? null : getContext.call(this, type, ...rest);
      };
    });
    await page.goto(base + "?autostart&mute");
    await until("the message", () => visible(page, "message"), 30);
    text = await page.$eval("#message", (element) => element.textContent);
    assert.match(text, /needs WebGL/);
    await page.close();
  }],

  ["event logs through the page are the desktop's, byte for byte", async (browser, base) => {
    for (const seed of pageSeeds) {
      // A small picture: the log does not depend on it, and the renderer's time does.
      const { page, seen } = await open(browser, base,
        `?seed=${seed}&fixed-dt=${step}&frames=${loopFrames}&size=160x120&mute&event-log&autostart`);
      await until("frames done", () => seen.lines.includes("frames done"), 600);
      const web = seen.lines.slice(0, seen.lines.indexOf("frames done")).map((line) => line + "\n").join("");
      fs.writeFileSync(path.join(out, `web-seed${seed}.log`), web);
      assert.equal(web, desktopLog(seed), `seed ${seed}`);
      assert.deepEqual(seen.errors, []);
      await page.close();
    }
  }],

  ["F3 to F8 reach the program and not the browser; ESC ends and offers a new start", async (browser, base) => {
    const { page, seen } = await open(browser, base, "?autostart&mute&fixed-dt=0.02");
    await until("the start", () => page.evaluate(() => typeof Module._karvosta_start === "function" &&
                                                          document.getElementById("loading").hidden), 60);
    await page.evaluate(() => {
      window.keptFromBrowser = [];
      window.addEventListener("keydown", (event) => window.keptFromBrowser.push(event.key + ":" + event.defaultPrevented));
      window.sameDocument = true;  // gone if F5 reloaded the page
    });
    const messages = { F3: /^Wireframe-Modus/, F4: /^Shader - Bump Map/, F5: /^View Frustum Culling/,
      F6: /^Wasser - /, F7: /^3D-Objekte - /, F8: /^Effekte / };
    for (const [key, message] of Object.entries(messages)) {
      await page.keyboard.press(key);
      assert.match(await statusText(page), message, key);
    }
    assert.equal(await page.evaluate(() => window.sameDocument), true, "F5 reloaded the page");
    assert.deepEqual(await page.evaluate(() => window.keptFromBrowser),
      Object.keys(messages).map((key) => key + ":true"));
    await page.keyboard.press("Escape");
    await until("the end", () => visible(page, "ended"), 10);
    await page.click("#ended");
    assert.ok(!(await visible(page, "ended")));
    await page.keyboard.press("F3");  // the scene is up again
    assert.match(await statusText(page), messages.F3);
    assert.deepEqual(seen.errors, []);
    await page.close();
  }],

  ["after the click the first broadside's cannon plays through Web Audio", async (browser, base) => {
    const cannon = wavFrames(path.join(site, "..", "tree", "data", "sound", "cannon1.wav"));
    const { page, seen } = await open(browser, base, "?fixed-dt=0.02&event-log");
    await until("the click overlay", () => visible(page, "start"), 60);
    const state = () => page.evaluate(() => AL.currentCtx.audioCtx.state);
    assert.equal(await state(), "suspended", "sound waits for the viewer");
    assert.ok(!(await page.evaluate((frames) => window.startedBuffers.includes(frames), cannon)));
    await page.click("#start");
    await until("the first broadside", () => seen.lines.some((line) => line.includes("broadside-fired")), 120);
    await until("a cannon sound", () => page.evaluate((frames) => window.startedBuffers.includes(frames), cannon), 5);
    assert.equal(await state(), "running");
    assert.deepEqual(seen.errors, []);
    await page.close();
  }],
  ["frame 1100 of seed 3 is the desktop's GL ES picture (PSNR >= 30 dB)", async (browser, base) => {
    if (!/--gl\b/.test(execFileSync(desktop, ["--help"]).toString())) throw new Skip("the desktop program has no --gl es2");
    const desktopShot = path.join(out, "desktop-frame1100.png");
    const args = ["--gl", "es2", "--frames", "1100", "--fixed-dt", step, "--seed", "3", "--mute", "--screenshot", desktopShot];
    const env = { ...process.env, KARVOSTA_NO_DIALOGS: "1" };
    if (process.env.DISPLAY) execFileSync(desktop, args, { stdio: "ignore", env });
    else execFileSync("xvfb-run", ["-a", "-s", "-screen 0 1280x1024x24", desktop, ...args], { stdio: "ignore", env });
    const { page, seen } = await open(browser, base, `?seed=3&fixed-dt=${step}&frames=1100&size=800x600&mute&autostart`);
    await until("frames done", () => seen.lines.includes("frames done"), 600);
    const web = await page.evaluate(() => Module.canvas.toDataURL("image/png"));
    fs.writeFileSync(path.join(out, "web-frame1100.png"), Buffer.from(web.split(",")[1], "base64"));
    const psnr = await page.evaluate(async (a, b) => {
      const pixels = async (url) => {
        const image = new Image();
        image.src = url;
        await image.decode();
        const copy = document.createElement("canvas");
        copy.width = image.width;
        copy.height = image.height;
        const context = copy.getContext("2d");
        context.drawImage(image, 0, 0);
        return context.getImageData(0, 0, copy.width, copy.height);
      };
      const [p, q] = [await pixels(a), await pixels(b)];
      if (p.width !== q.width || p.height !== q.height) return -1;
      let sum = 0;
      for (let i = 0; i < p.data.length; ++i) {
        if (i % 4 !== 3) sum += (p.data[i] - q.data[i]) ** 2;
      }
      const mse = sum / (p.width * p.height * 3);
      return mse === 0 ? 99 : 10 * Math.log10((255 * 255) / mse);
    }, web, "data:image/png;base64," + fs.readFileSync(desktopShot).toString("base64"));
    assert.ok(psnr >= 30, `PSNR ${psnr.toFixed(1)} dB (pictures in ${out})`);
    await page.close();
  }],
];

(async () => {
  fs.mkdirSync(out, { recursive: true });
  const server = await serve(site);
  const base = `http://127.0.0.1:${server.address().port}/`;
  const browser = await launch(out);
  let passed = 0, failed = 0, skipped = 0;
  for (const [name, run] of tests.filter(([name]) => new RegExp(process.env.WEB_TESTS || "").test(name))) {
    const began = Date.now();
    try {
      await run(browser, base);
      ++passed;
      console.log(`PASS ${name} (${((Date.now() - began) / 1000).toFixed(1)} s)`);
    } catch (error) {
      if (error instanceof Skip) {
        ++skipped;
        console.log(`SKIP ${name}: ${error.message}`);
        continue;
      }
      ++failed;
      console.log(`FAIL ${name}\n  ${String(error.stack || error).split("\n").slice(0, 6).join("\n  ")}`);
    }
  }
  await browser.close();
  server.close();
  console.log(`web: ${passed} passed, ${failed} failed, ${skipped} skipped`);
  process.exit(failed === 0 ? 0 : 1);
})();
