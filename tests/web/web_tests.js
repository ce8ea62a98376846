// The web page's tests: Debian's chromium, headless with WebGL on SwiftShader, driven through the
// DevTools protocol (puppeteer-core), against the site served from this process. Also the program's
// headless runs under node. Prints one line per test and "N passed, M failed" last.
// Usage: node web_tests.js SITE_DIR OUT_DIR DESKTOP_PROGRAM   (WEB_TESTS=REGEX: only the tests it matches)
"use strict";
const assert = require("assert/strict");
const { execFileSync } = require("child_process");
const fs = require("fs");
const path = require("path");
const zlib = require("zlib");
const { serve, launch, open, until } = require("./browser");

const [site, out, desktop] = process.argv.slice(2).map((p) => path.resolve(p));
const generatedSounds = path.join(path.dirname(desktop), "..", "data", "sound");  // the desktop build's
const seeds = [1, 2, 3];
// Through the page each run of the script costs minutes of software rendering: seed 3 by default,
// WEB_PAGE_SEEDS="1 2 3" for all. The headless runs under node take every seed.
const pageSeeds = (process.env.WEB_PAGE_SEEDS || "3").split(/\s+/).map(Number);
const step = "0.02";
const loopFrames = 3550;  // 71 s at 0.02 s: one run of the script

// A test that cannot run yet on this build says why instead of passing.
class Skip extends Error {}

const visible = (page, id) => page.$eval("#" + id, (element) => !element.hidden);
const text = (page, id) => page.$eval("#" + id, (element) => element.textContent);
const statusText = (page) => page.evaluate(() => UTF8ToString(Module._karvosta_status_text()));
const audioState = (page) => page.evaluate(() => (AL.currentCtx ? AL.currentCtx.audioCtx.state : "closed"));
const sleep = (seconds) => new Promise((resolve) => setTimeout(resolve, seconds * 1000));
// The frames run: the program has started them and no cover is left over the canvas.
const running = (page) => page.evaluate(() => typeof Module._karvosta_start === "function" &&
  ["loading", "start", "ended", "message"].every((id) => document.getElementById(id).hidden));

// The canvas as a PNG data address (its frame must be kept: a run of frames=N keeps it).
const canvasPicture = (page) => page.evaluate(() => Module.canvas.toDataURL("image/png"));
function savePicture(dataUrl, name) {
  fs.writeFileSync(path.join(out, name), Buffer.from(dataUrl.split(",")[1], "base64"));
}

// Two pictures (data addresses) of one size compared over their colour channels: PSNR in dB (-1 when
// their sizes differ, 99 when they are equal), and how many pixels differ by more than a third of full
// scale in some channel.
function comparePictures(page, a, b) {
  return page.evaluate(async (a, b) => {
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
    if (p.width !== q.width || p.height !== q.height) return { decibels: -1, strong: p.width * p.height };
    let sum = 0, strong = 0;
    for (let i = 0; i < p.data.length; i += 4) {
      let largest = 0;
      for (let c = i; c < i + 3; ++c) {
        sum += (p.data[c] - q.data[c]) ** 2;
        largest = Math.max(largest, Math.abs(p.data[c] - q.data[c]));
      }
      if (largest > 85) ++strong;
    }
    const mse = sum / (p.width * p.height * 3);
    return { decibels: mse === 0 ? 99 : 10 * Math.log10((255 * 255) / mse), strong };
  }, a, b);
}
const psnr = async (page, a, b) => (await comparePictures(page, a, b)).decibels;

// Makes the page's tab hidden or shown again, as switching tabs does (headless, the page never is).
function setHidden(page, hidden) {
  return page.evaluate((hidden) => {
    Object.defineProperty(document, "hidden", { value: hidden, configurable: true });
    Object.defineProperty(document, "visibilityState", { value: hidden ? "hidden" : "visible", configurable: true });
    document.dispatchEvent(new Event("visibilitychange"));
  }, hidden);
}

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

// 16-bit little-endian samples as numbers from -1 to 1.
function samples(bytes) {
  const out = new Float64Array(Math.floor(bytes.length / 2));
  for (let i = 0; i < out.length; ++i) out[i] = bytes.readInt16LE(2 * i) / 32768;
  return out;
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

  ["ten new starts leave as many WebGL objects and audio contexts alive as the first", async (browser, base) => {
    const { page, seen } = await open(browser, base, "?autostart&fixed-dt=0.02");
    await until("the frames", () => running(page), 60);
    // Each start runs for a second: the drawing backend makes the programs of its states as the
    // frames first need them, and keeps them for the next start.
    await sleep(1);
    const cycles = [];
    for (let cycle = 0; cycle < 10; ++cycle) {
      await page.keyboard.press("Escape");
      await until("the end", () => visible(page, "ended"), 30);
      await page.click("#ended");
      await until("the frames again", () => running(page), 60);
      await sleep(1);
      cycles.push(await page.evaluate(() => window.live()));
    }
    fs.writeFileSync(path.join(out, "new-starts.json"), JSON.stringify(cycles, null, 1) + "\n");
    // The streamed draws' buffers hold the last frame's vertices: their bytes vary, their number not.
    const counts = (live) => Object.fromEntries(Object.entries(live).filter(([kind]) => kind !== "bytes"));
    assert.deepEqual(counts(cycles[9]), counts(cycles[0]), `after each new start: ${JSON.stringify(cycles)}`);
    assert.equal(cycles[0].audioContexts, 1);
    assert.deepEqual(seen.errors, []);
    await page.close();
  }],

  ["a hidden tab stops the sound and the steps, and the run goes on where it stood", async (browser, base) => {
    const frames = 800;  // 16 s: past the first broadside (10 s) and the hits that follow, before the next (18 s)
    const { page, seen } = await open(browser, base, `?seed=3&fixed-dt=${step}&frames=${frames}&size=160x120&event-log&autostart`);
    await until("the first broadside", () => seen.lines.some((line) => line.includes("broadside-fired")), 120);
    await page.mouse.click(5, 5);  // browsers hold an autostarted page's sound until a click
    await until("the sound", async () => (await audioState(page)) === "running", 10);
    await setHidden(page, true);
    const shown = seen.lines.length;
    await sleep(3);
    assert.equal(await audioState(page), "suspended");
    assert.deepEqual(seen.lines.slice(shown), [], "steps while hidden");
    await setHidden(page, false);
    await until("the sound again", async () => (await audioState(page)) === "running", 10);
    await until("frames done", () => seen.lines.includes("frames done"), 300);
    const web = seen.lines.slice(0, seen.lines.indexOf("frames done")).map((line) => line + "\n").join("");
    const desktop = desktopLog(3).split("\n").filter((line) => line.startsWith("#") || Number(line.split(/\s+/)[1]) < frames * Number(step));
    fs.writeFileSync(path.join(out, "web-hidden-seed3.log"), web);
    assert.equal(web, desktop.map((line) => line + "\n").join(""), `the log through the hidden page is in ${out}`);
    await page.close();
  }],

  ["a lost WebGL context shows the page's message; the restored frames are right (PSNR >= 30 dB)", async (browser, base) => {
    const query = `?seed=3&fixed-dt=${step}&frames=700&size=320x240&mute&event-log&autostart`;
    let { page, seen } = await open(browser, base, query);
    await until("frames done", () => seen.lines.includes("frames done"), 300);
    const reference = await canvasPicture(page), referenceLog = seen.lines;
    savePicture(reference, "lost-context-0-reference.png");
    await page.close();
    ({ page, seen } = await open(browser, base, query));
    await until("the first broadside", () => seen.lines.some((line) => line.includes("broadside-fired")), 120);
    await page.screenshot({ path: path.join(out, "lost-context-1-before.png") });
    await page.evaluate(() => {
      window.loseContext = Module.canvas.getContext("webgl").getExtension("WEBGL_lose_context");
      window.loseContext.loseContext();
    });
    await until("the message", () => visible(page, "message"), 10);
    assert.match(await text(page, "message"), /lost/);
    const lost = seen.lines.length;
    await sleep(1);
    await page.screenshot({ path: path.join(out, "lost-context-2-lost.png") });
    assert.deepEqual(seen.lines.slice(lost), [], "the demo went on without its picture");
    await page.evaluate(() => window.loseContext.restoreContext());
    await until("the picture again", () => running(page), 10);
    await until("frames done", () => seen.lines.includes("frames done"), 300);
    await page.screenshot({ path: path.join(out, "lost-context-3-restored-page.png") });
    const restored = await canvasPicture(page);
    savePicture(restored, "lost-context-3-restored.png");
    assert.deepEqual(seen.lines, referenceLog, "the run went on elsewhere than where it stood");
    const decibels = await psnr(page, restored, reference);
    fs.writeFileSync(path.join(out, "lost-context.txt"), `last frame after the restore against the run without the loss: PSNR ${decibels.toFixed(1)} dB\n`);
    assert.ok(decibels >= 30, `PSNR ${decibels.toFixed(1)} dB against the run without the loss (pictures in ${out})`);
    assert.deepEqual(seen.errors, []);
    await page.close();
  }],

  ["help, version and what a page cannot do end in their text or message, never in \"Starting …\"", async (browser, base) => {
    const cases = [["?help", /Options[\s\S]*--seed N/], ["?version", /karvosta \d/], ["?seed", /cannot start.*seed/],
      ["?bogus=1", /cannot start.*bogus/], ["?headless", /cannot start.*command line/],
      ["?gl=designed", /cannot start.*GL ES 2\.0/], ["?record=a.mp4", /cannot start.*desktop program/]];
    for (const [query, expected] of cases) {
      const { page } = await open(browser, base, query);
      await until(`the message of ${query}`, () => visible(page, "message"), 60);
      assert.match(await text(page, "message"), expected, query);
      assert.ok(!(await visible(page, "loading")), `${query} left the page loading`);
      await page.close();
    }
    const { page } = await open(browser, base, "?fullscreen&mute");
    await until("the click overlay", () => visible(page, "start"), 60);
    await page.click("#start");
    await until("full screen", () => page.evaluate(() => document.fullscreenElement !== null), 10);
    await page.close();
  }],

  ["the drawing buffer keeps to 2 device pixels per CSS pixel and to a bounded total", async (browser, base) => {
    const page = await browser.newPage();
    await page.setViewport({ width: 400, height: 300, deviceScaleFactor: 3 });
    await page.goto(base + "?mute");
    await until("the click overlay", () => visible(page, "start"), 60);
    const size = () => page.evaluate(() => [Module.canvas.width, Module.canvas.height]);
    assert.deepEqual(await size(), [800, 600]);
    await page.setViewport({ width: 2000, height: 1500, deviceScaleFactor: 3 });
    await until("the new size", async () => (await size())[0] !== 800, 10);
    const [width, height] = await size();
    // Full HD's pixels at most (the page's frame rate in software is measured up to there), and not
    // much below a 4:3 picture of a 1080-line screen.
    assert.ok(width * height <= 1920 * 1080 && height >= 960, `${width}x${height}`);
    assert.ok(Math.abs(width / height - 4 / 3) < 0.01, `${width}x${height} is not 4:3`);
    await page.close();
  }],

  // How soon it shows is bench/web_speed.sh's to measure (the target is 0.5 s); here: first, with the
  // data held back 3 s and the program not yet there.
  ["the poster shows first, while the data arrive, and is the link preview's picture", async (browser, base) => {
    const bytes = fs.statSync(path.join(site, "poster.jpg")).size;
    assert.ok(bytes <= 150000, `the poster has ${bytes} bytes`);
    const { page } = await open(browser, base, "slow-data/?mute");
    // The browser's own record of when it painted the poster (its elementtiming attribute).
    const shown = await page.evaluate(() => new Promise((resolve) => {
      setTimeout(() => resolve(null), 20000);
      new PerformanceObserver((entries) => {
        const poster = entries.getEntries().find((entry) => entry.identifier === "poster");
        const data = performance.getEntriesByName(new URL("karvosta.data", location.href).href)[0];
        if (poster) resolve({ at: poster.renderTime, data: data ? data.responseEnd : 1e9, program: typeof Module._karvosta_start });
      }).observe({ type: "element", buffered: true });
    }));
    assert.ok(shown, "the poster was never painted");
    fs.writeFileSync(path.join(out, "poster.txt"), `the poster painted ${Math.round(shown.at)} ms after the page's load began\n`);
    assert.ok(shown.at < shown.data && shown.program === "undefined", `the data or the program came before the poster: ${JSON.stringify(shown)}`);
    const head = await page.evaluate(() => Object.fromEntries([...document.querySelectorAll("meta[property], meta[name]")]
      .map((meta) => [meta.getAttribute("property") || meta.getAttribute("name"), meta.content])));
    const poster = await page.$eval("#poster", (image) => [image.naturalWidth, image.naturalHeight]);
    assert.match(head["og:image"], /(^|\/)poster\.jpg$/);
    assert.deepEqual([Number(head["og:image:width"]), Number(head["og:image:height"])], poster);
    assert.ok(head["og:title"] && head["og:description"] && head.description, JSON.stringify(head));
    await until("the click overlay", () => visible(page, "start"), 60);
    assert.ok(await visible(page, "poster"), "the poster is gone under \"Click to start\"");
    await page.close();
  }],

  ["the sounds arrive compressed and decode to the generator's: length, level, and loops without a joint", async (browser, base) => {
    let zipped = 0;
    for (const name of fs.readdirSync(site)) zipped += zlib.gzipSync(fs.readFileSync(path.join(site, name)), { level: 9 }).length;
    assert.ok(zipped <= 1.5e6, `the site has ${zipped} bytes with gzip`);
    const { page, seen } = await open(browser, base, "?mute");
    await until("the click overlay", () => visible(page, "start"), 60);
    const report = [], faults = [];
    for (const name of fs.readdirSync(generatedSounds)) {
      const source = samples(execFileSync("ffmpeg", ["-v", "error", "-i", path.join(generatedSounds, name), "-f", "s16le", "-ac", "1", "-"]));
      const wav = Buffer.from(await page.evaluate((name) => {
        const bytes = FS.readFile("/data/sound/" + name);
        let text = "";
        for (let i = 0; i < bytes.length; i += 8192) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
        return btoa(text);
      }, name), "base64");
      if (wav.toString("latin1", 0, 4) !== "RIFF") {
        faults.push(`${name} reached the program undecoded`);
        continue;
      }
      const decoded = samples(wav.subarray(wav.indexOf("data", 12) + 8));
      const n = source.length;
      if (decoded.length !== n) {
        faults.push(`${name}: ${decoded.length} frames, the source ${n}`);
        continue;
      }
      const rms = (x, from = 0, to = x.length) => Math.sqrt(x.slice(from, to).reduce((sum, v) => sum + v * v, 0) / (to - from));
      const level = 20 * Math.log10(rms(decoded) / rms(source));
      // Alike, and aligned: the two agree best at no shift.
      const likeness = (shift) => {
        let sum = 0;
        for (let i = Math.max(0, -shift); i < n && i + shift < n; ++i) sum += source[i] * decoded[i + shift];
        return sum / (rms(source) * rms(decoded) * n);
      };
      const shifted = Math.max(...[-8, -4, -2, -1, 1, 2, 4, 8].map(likeness));
      // A loop (a sound as loud at its ends as within) plays its last sample, then its first: within
      // 256 frames of either end the page's sound is as close to the source, for its loudness, as
      // anywhere, so the joint is the source's own. A shot's hard start is no joint.
      const error = decoded.map((v, i) => v - source[i]);
      const loop = Math.min(rms(source, 0, 1024), rms(source, n - 1024)) > 0.25 * rms(source);
      const relative = (from, to) => rms(error, from, to) / rms(source, from, to);
      const ends = Math.max(relative(0, 256), relative(n - 256, n)), overall = relative(0, n);
      const percent = (share) => (Number.isFinite(share) ? (100 * share).toFixed(1) + " %" : "(silent)");
      report.push(`${name}${loop ? " (loop)" : ""}: ${n} frames, level ${level.toFixed(2)} dB, likeness ` +
                  `${likeness(0).toFixed(4)} (shifted ${shifted.toFixed(4)}), error ${percent(overall)} of the sound, ` +
                  `at the ends ${percent(ends)}`);
      if (Math.abs(level) > 0.5 || !(likeness(0) >= 0.9 && likeness(0) > shifted) || (loop && ends > 2 * overall)) {
        faults.push(report.at(-1));
      }
    }
    fs.writeFileSync(path.join(out, "sounds.txt"), report.join("\n") + "\n");
    assert.deepEqual(faults, []);
    assert.deepEqual(seen.errors, []);
    await page.close();
  }],

  ["before the click keys and Full screen change nothing; after it the first broadside's cannon plays", async (browser, base) => {
    const cannon = wavFrames(path.join(generatedSounds, "cannon1.wav"));
    const { page, seen } = await open(browser, base, "?fixed-dt=0.02&event-log");
    await until("the click overlay", () => visible(page, "start"), 60);
    assert.equal(await audioState(page), "suspended", "the sound plays under the waiting page");
    const status = await statusText(page);
    for (const key of ["F3", "F8", "a", "Escape"]) await page.keyboard.press(key);
    await page.click("#fullscreen");
    await sleep(0.5);
    assert.equal(await audioState(page), "suspended", "the sound woke before the start");
    assert.equal(await statusText(page), status, "a toggle key acted before the start");
    assert.ok(await visible(page, "start"), "ESC ended a demo that had not started");
    assert.ok(!(await page.evaluate((frames) => window.startedBuffers.includes(frames), cannon)));
    await page.click("#start");
    await until("the first broadside", () => seen.lines.some((line) => line.includes("broadside-fired")), 120);
    await until("a cannon sound", () => page.evaluate((frames) => window.startedBuffers.includes(frames), cannon), 5);
    assert.equal(await audioState(page), "running");
    assert.deepEqual(seen.errors, []);
    await page.close();
  }],
  // Title 1 appears 45 s into the run; at 0.25 s steps frame 188 shows it risen for about 1.75 s,
  // title 2 just below it. A page that drew at 800x600 throughout is the reference.
  ["a resize while title 1 rises keeps it where a page of the new size has it", async (browser, base) => {
    const query = "?seed=1&fixed-dt=0.25&frames=188&mute&event-log&autostart";
    const finalFrame = async (resized) => {
      const page = await browser.newPage();
      await page.setViewport({ width: resized ? 400 : 800, height: resized ? 300 : 600 });
      const seen = { lines: [] };
      page.on("console", (message) => message.type() === "log" && seen.lines.push(message.text()));
      // Pause the frames in the very step that makes title 1, as a hidden tab does, to resize there.
      if (resized) {
        await page.evaluateOnNewDocument(() => {
          const log = console.log;
          console.log = (...args) => {
            if (/title-created\s+value=1$/.test(String(args[0]))) {
              Object.defineProperty(document, "hidden", { value: true, configurable: true });
              document.dispatchEvent(new Event("visibilitychange"));
            }
            return log.apply(console, args);
          };
        });
      }
      await page.goto(base + query);
      if (resized) {
        await until("title 1", () => seen.lines.some((line) => /title-created\s+value=1$/.test(line)), 120);
        assert.deepEqual(await page.evaluate(() => [Module.canvas.width, Module.canvas.height]), [400, 300]);
        await page.setViewport({ width: 800, height: 600 });
        await until("the new size", () => page.evaluate(() => Module.canvas.width === 800), 10);
        await setHidden(page, false);
      }
      await until("frames done", () => seen.lines.includes("frames done"), 300);
      const picture = await canvasPicture(page);
      savePicture(picture, `title-resize-${resized ? "resized" : "reference"}.png`);
      return { page, picture };
    };
    const reference = await finalFrame(false), resized = await finalFrame(true);
    // A title line in two places differs strongly over some thousand pixels, the sea and ships at
    // most over a few.
    const differing = (await comparePictures(resized.page, reference.picture, resized.picture)).strong;
    assert.ok(differing < 100, `${differing} pixels differ from the page drawn at 800x600 throughout (pictures in ${out})`);
    await reference.page.close();
    await resized.page.close();
  }],

  ["no GL state question after the first frame (300 frames)", async (browser, base) => {
    // Every question the program asks of GL ES (its imports _glGet…, _glIs…, _glCheckFramebufferStatus:
    // Emscripten answers some itself, as uniform locations it has seen) and every one that reaches
    // WebGL, by the main loop's frame it was asked in.
    const { page, seen } = await open(browser, base, `?seed=3&fixed-dt=${step}&frames=300&size=320x240&mute&autostart`, () => {
      window.questions = [];
      const frame = () => (typeof Browser !== "undefined" && Browser.mainLoop.func ? Browser.mainLoop.currentFrameNumber : -1);
      const counted = (name, call) => function (...args) {
        window.questions.push([frame(), name]);
        return call.apply(this, args);
      };
      const gl = WebGLRenderingContext.prototype;
      for (const name of Object.getOwnPropertyNames(gl)) {
        if (/^(get|is[A-Z]|checkFramebufferStatus)/.test(name) && typeof Object.getOwnPropertyDescriptor(gl, name).value === "function") gl[name] = counted(name, gl[name]);
      }
      const wrapImports = (imports) => {
        for (const functions of Object.values(imports || {})) {
          for (const [key, call] of Object.entries(functions)) {
            if (typeof call === "function" && /^_gl(Get|Is|CheckFramebufferStatus)/.test(call.name)) functions[key] = counted(call.name, call);
          }
        }
      };
      for (const name of ["instantiate", "instantiateStreaming"]) {
        const instantiate = WebAssembly[name];
        WebAssembly[name] = (source, imports) => (wrapImports(imports), instantiate(source, imports));
      }
    });
    await until("frames done", () => seen.lines.includes("frames done"), 300);
    const questions = await page.evaluate(() => window.questions);
    const frames = questions.map(([frame]) => frame).filter((frame) => frame >= 0);
    const first = Math.min(...frames);
    const later = questions.filter(([frame]) => frame > first);
    const tally = {};
    for (const [, name] of later) tally[name] = (tally[name] || 0) + 1;
    assert.deepEqual(tally, {}, `questions after the first frame (${first}) of 300: ${JSON.stringify(later.slice(0, 40))}`);
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
    const web = await canvasPicture(page);
    savePicture(web, "web-frame1100.png");
    const decibels = await psnr(page, web, "data:image/png;base64," + fs.readFileSync(desktopShot).toString("base64"));
    assert.ok(decibels >= 30, `PSNR ${decibels.toFixed(1)} dB (pictures in ${out})`);
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
