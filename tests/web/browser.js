// The web page's site served from this process, and Debian's chromium (headless, WebGL on
// SwiftShader) driven through puppeteer-core: what the web tests and the web bench share.
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");
const puppeteer = require("puppeteer-core");

// Serves `site` as a static host would, on a free port of 127.0.0.1; under /missing-data/ the same
// site lacks its data file.
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".png": "image/png" };
function serve(site) {
  const server = http.createServer((request, response) => {
    let name = new URL(request.url, "http://host").pathname;
    const missingData = name.startsWith("/missing-data/");
    if (missingData) name = name.slice("/missing-data".length);
    if (name === "/") name = "/index.html";
    const file = path.join(site, path.normalize(name));
    if (!file.startsWith(site) || (missingData && name === "/karvosta.data") || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    const type = types[path.extname(file)] || "application/octet-stream";
    response.writeHead(200, { "Content-Type": type, "Content-Length": fs.statSync(file).size });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// A fresh profile under `scratch`; nothing reaches beyond this machine.
function launch(scratch) {
  return puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
      "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run",
      // No --disable-frame-rate-limit: it keeps the compositor spinning on a core of its own. Runs
      // of a fixed number of frames draw back to back in any case (main/main_web.cpp).
      "--disable-quic", "--user-data-dir=" + fs.mkdtempSync(path.join(scratch, "chromium-"))],
  });
}

// A page at `query`, with its console kept: `lines` holds the console.log messages (the event log
// and "frames done"), `info` the program's own output, `warnings` its standard error (where an error
// dialog's text goes too), `errors` every console error and uncaught
// exception. window.startedBuffers lists the length (sample frames) of every buffer Web Audio starts.
async function open(browser, base, query) {
  const page = await browser.newPage();
  const seen = { lines: [], info: [], warnings: [], errors: [] };
  page.on("console", (message) => {
    if (message.type() === "log") seen.lines.push(message.text());
    if (message.type() === "info") seen.info.push(message.text());
    if (message.type() === "warn" || message.type() === "warning") seen.warnings.push(message.text());
    if (message.type() === "error") seen.errors.push(message.text());
  });
  page.on("pageerror", (error) => seen.errors.push(error.message));
  await page.evaluateOnNewDocument(() => {
    window.startedBuffers = [];
    const start = AudioBufferSourceNode.prototype.start;
    AudioBufferSourceNode.prototype.start = function (...args) {
      window.startedBuffers.push(this.buffer ? this.buffer.length : -1);
      return start.apply(this, args);
    };
  });
  await page.goto(base + query);
  return { page, seen };
}

async function until(what, test, seconds) {
  const end = Date.now() + seconds * 1000;
  while (!(await test())) {
    if (Date.now() > end) throw new Error("timed out waiting for " + what);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

module.exports = { serve, launch, open, until };
