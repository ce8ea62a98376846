// The web page's size and speed, in one run: what a visitor transfers (gzip -9 per file), the time
// from the page's load to its poster's paint (the target is 0.5 s) and to its first frame in headless
// Chromium (the first page of a fresh browser, then the median of five more), and frames per second on the same fixed-step frames (seed 3,
// 0.02 s steps) in the page (SwiftShader) and in the desktop program under Xvfb (llvmpipe), at each
// size. Both draw their frames back to back, not at a display's refresh; the ratio is web / desktop.
// With BASE_SITE, another build's site (bench/web_speed.sh BASE_COMMIT builds one) draws the same
// frames in every round too, and the page's rate is also given as a ratio to that page's.
// Usage: node web_speed.js SITE_DIR OUT_DIR DESKTOP_PROGRAM   (bench/web_speed.sh sets it up)
// Environment: FRAMES (default 1500), SIZES (default "800x600 1280x720"), ROUNDS (default 5), BASE_SITE.
"use strict";
const { execFileSync } = require("child_process");
const fs = require("fs");
const path = require("path");
const zlib = require("zlib");
const { serve, launch, open, until } = require("../tests/web/browser");

const [site, out, desktop] = process.argv.slice(2).map((p) => path.resolve(p));
const frames = Number(process.env.FRAMES || 1500);
const sizes = (process.env.SIZES || "800x600 1280x720").split(/\s+/);
const rounds = Number(process.env.ROUNDS || 5);
const fixedStep = `--fixed-dt 0.02 --seed 3 --mute`;

function siteSize() {
  let bytes = 0, zipped = 0;
  for (const name of fs.readdirSync(site).sort()) {
    const data = fs.readFileSync(path.join(site, name));
    const packed = zlib.gzipSync(data, { level: 9 }).length;
    console.log(`  ${name.padEnd(16)} ${String(data.length).padStart(9)} bytes, ${String(packed).padStart(9)} with gzip`);
    bytes += data.length;
    zipped += packed;
  }
  console.log(`site: ${bytes} bytes, ${zipped} with gzip (${(zipped / 1e6).toFixed(2)} MB)`);
}

const framesPerSecond = (lines) => {
  const line = lines.find((text) => text.startsWith("frame intervals:"));
  const match = line && /\(([\d.]+) frames\/s\)/.exec(line);
  return match ? Number(match[1]) : NaN;
};

async function firstFrames(base) {
  const browser = await launch(out);
  const times = [], posters = [];
  for (let load = 0; load < 6; ++load) {
    const { page, seen } = await open(browser, base, "?mute");
    await until("the first frame", () => seen.info.some((text) => text.startsWith("first frame after")), 60);
    times.push(Number(/(\d+) ms/.exec(seen.info.find((text) => text.startsWith("first frame after")))[1]));
    // The browser's record of when it painted the poster (its elementtiming attribute).
    posters.push(await page.evaluate(() => new Promise((resolve) => new PerformanceObserver((entries) => {
      const poster = entries.getEntries().find((entry) => entry.identifier === "poster");
      resolve(poster ? Math.round(poster.renderTime) : NaN);
    }).observe({ type: "element", buffered: true }))));
    await page.close();
  }
  await browser.close();
  const report = (what, values) => {
    const rest = values.slice(1).sort((a, b) => a - b);
    console.log(`${what}: ${values[0]} ms on a fresh browser's first page, median ${rest[2]} ms of the next five (${rest.join(", ")})`);
  };
  report("poster painted (target 500 ms)", posters);
  report("first frame", times);
}

// Runs of the page and of the desktop program alternate, ROUNDS rounds per size, so that the other
// load of a shared machine falls on both alike; the browser is closed while the desktop draws. A base
// page, when given, draws in every round too, before this page in odd rounds and after it in even ones.
async function rates(url, baseUrl) {
  const help = execFileSync(desktop, ["--help"]).toString();
  const desktopPath = /--gl\b/.test(help) ? ["--gl", "es2"] : [];
  const median = (values) => values.slice().sort((a, b) => a - b)[Math.floor(values.length / 2)];
  const pageRate = async (address, size) => {
    const browser = await launch(out);
    const { seen } = await open(browser, address,
      `?seed=3&fixed-dt=0.02&frames=${frames}&size=${size}&mute&autostart&frame-stats`);
    await until("frames done", () => seen.lines.includes("frames done"), 1200);
    await browser.close();
    return framesPerSecond(seen.info);
  };
  const list = (values) => values.map((v) => v.toFixed(1)).join(", ");
  for (const size of sizes) {
    const web = [], native = [], based = [], ratios = [];
    for (let round = 0; round < rounds; ++round) {
      if (baseUrl && round % 2 === 0) based.push(await pageRate(baseUrl, size));
      web.push(await pageRate(url, size));
      if (baseUrl && round % 2 === 1) based.push(await pageRate(baseUrl, size));
      if (baseUrl) ratios.push(web[round] / based[round]);
      const args = [...desktopPath, ...fixedStep.split(" "), "--frames", String(frames), "--size", size, "--frame-stats"];
      const output = execFileSync("xvfb-run", ["-a", "-s", "-screen 0 1920x1080x24", desktop, ...args],
        { env: { ...process.env, KARVOSTA_NO_DIALOGS: "1" }, stdio: ["ignore", "pipe", "ignore"] }).toString();
      native.push(framesPerSecond(output.split("\n")));
    }
    const [w, n] = [median(web), median(native)];
    console.log(`${size}: web ${w.toFixed(1)} frames/s, desktop ${desktopPath.join(" ") || "designed"} ` +
                `${n.toFixed(1)} frames/s, ratio ${(w / n).toFixed(2)} (medians of ${rounds} rounds of ${frames} frames, ` +
                `${fixedStep}; web ${list(web)}; desktop ${list(native)})`);
    if (baseUrl) {
      console.log(`${size}: base page ${median(based).toFixed(1)} frames/s (${list(based)}); this page / base: ` +
                  `ratio of medians ${(w / median(based)).toFixed(2)}, rounds' ratios median ` +
                  `${median(ratios).toFixed(2)} (${ratios.map((v) => v.toFixed(2)).join(", ")})`);
    }
  }
}

(async () => {
  fs.mkdirSync(out, { recursive: true });
  siteSize();
  const server = await serve(site);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const baseServer = process.env.BASE_SITE ? await serve(path.resolve(process.env.BASE_SITE)) : null;
  await firstFrames(url);
  await rates(url, baseServer && `http://127.0.0.1:${baseServer.address().port}/`);
  server.close();
  if (baseServer) baseServer.close();
})();
