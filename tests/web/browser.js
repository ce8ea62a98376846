// The web page's site served from this process, and Debian's chromium (headless, WebGL on
// SwiftShader) driven through puppeteer-core: what the web tests and the web bench share.
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");
const puppeteer = require("puppeteer-core");

// Serves `site` as a static host would, on a free port of 127.0.0.1; under /missing-data/ the same
// site lacks its data file, under /slow-data/ its data arrive 3 s late.
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".png": "image/png",
                ".jpg": "image/jpeg" };
function serve(site) {
  const server = http.createServer((request, response) => {
    let name = new URL(request.url, "http://host").pathname;
    const [, folder] = /^\/(missing-data|slow-data)\//.exec(name) || [];
    if (folder) name = name.slice(folder.length + 1);
    if (name === "/") name = "/index.html";
    const file = path.join(site, path.normalize(name));
    const data = name === "/karvosta.data";
    if (!file.startsWith(site) || (folder === "missing-data" && data) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    const type = types[path.extname(file)] || "application/octet-stream";
    setTimeout(() => {
      response.writeHead(200, { "Content-Type": type, "Content-Length": fs.statSync(file).size });
      fs.createReadStream(file).pipe(response);
    }, folder === "slow-data" && data ? 3000 : 0);
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// A fresh profile under `scratch`, removed when the browser closes; nothing reaches beyond this
// machine. Sound may start without a click, as for a visitor who allowed the site sound: what holds it
// before the start is the page's.
async function launch(scratch) {
  const profile = fs.mkdtempSync(path.join(scratch, "chromium-"));
  const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: ["--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
      "--disable-background-networking", "--disable-component-update", "--disable-sync", "--no-first-run",
      // No --disable-frame-rate-limit: it keeps the compositor spinning on a core of its own. Runs
      // of a fixed number of frames draw back to back in any case (main/main_web.cpp).
      "--disable-quic", "--autoplay-policy=no-user-gesture-required", "--user-data-dir=" + profile],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// Installed in the page before its own scripts, for the tests to count what the page holds; a
// visitor's page has none of it.
// - window.startedBuffers: the length (sample frames) of every buffer Web Audio starts.
// - window.live(): the WebGL objects not deleted, by kind, and the bytes of the texture images,
//   buffer data and renderbuffers among them; and the audio contexts not closed.
function countingHooks() {
  window.startedBuffers = [];
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    window.startedBuffers.push(this.buffer ? this.buffer.length : -1);
    return start.apply(this, args);
  };
  let audioContexts = 0;
  window.AudioContext = class extends window.AudioContext {
    constructor(...args) { super(...args); ++audioContexts; }
    close() { --audioContexts; return super.close(); }
  };
  const gl = WebGLRenderingContext.prototype, live = {}, bound = { unit: 0, textures: [] };
  const wrap = (name, before, after = (made) => made) => {
    const call = gl[name];
    gl[name] = function (...args) { before(...args); return after(call.apply(this, args)); };
  };
  for (const kind of ["Texture", "Buffer", "Framebuffer", "Renderbuffer", "Program", "Shader"]) {
    const objects = live[kind.toLowerCase() + "s"] = new Map();  // object -> bytes
    wrap("create" + kind, () => {}, (made) => (made && objects.set(made, 0), made));
    wrap("delete" + kind, (object) => objects.delete(object));
  }
  const size = (objects, object, bytes) => objects.has(object) && objects.set(object, bytes);
  const texels = { 0x1906: 1, 0x1909: 1, 0x190A: 2, 0x1907: 3 };  // ALPHA, LUMINANCE(_ALPHA), RGB; else 4
  wrap("activeTexture", (unit) => { bound.unit = unit - 0x84C0; });
  wrap("bindTexture", (target, texture) => { bound.textures[bound.unit] = texture; });
  wrap("bindBuffer", (target, buffer) => { bound[target] = buffer; });
  wrap("bindRenderbuffer", (target, renderbuffer) => { bound.renderbuffer = renderbuffer; });
  wrap("texImage2D", (target, level, internal, width, height, border, format) => level === 0 &&
    size(live.textures, bound.textures[bound.unit], width * height * (texels[format] || 4)));
  wrap("bufferData", (target, data) => size(live.buffers, bound[target], typeof data === "number" ? data : data.byteLength));
  wrap("renderbufferStorage", (target, format, width, height) => size(live.renderbuffers, bound.renderbuffer, width * height * 4));
  window.live = () => {
    const counts = { audioContexts, bytes: 0 };
    for (const [kind, objects] of Object.entries(live)) {
      counts[kind] = objects.size;
      for (const bytes of objects.values()) counts.bytes += bytes;
    }
    return counts;
  };
}

// A page at `query`, with its console kept: `lines` holds the console.log messages (the event log
// and "frames done"), `info` the program's own output, `warnings` its standard error (where an error
// dialog's text goes too), `errors` every console error and uncaught exception. `before` runs in the
// page before its scripts, after the counting hooks.
async function open(browser, base, query, before) {
  const page = await browser.newPage();
  const seen = { lines: [], info: [], warnings: [], errors: [] };
  page.on("console", (message) => {
    if (message.type() === "log") seen.lines.push(message.text());
    if (message.type() === "info") seen.info.push(message.text());
    if (message.type() === "warn" || message.type() === "warning") seen.warnings.push(message.text());
    if (message.type() === "error") seen.errors.push(message.text());
  });
  page.on("pageerror", (error) => seen.errors.push(error.message));
  await page.evaluateOnNewDocument(countingHooks);
  if (before) await page.evaluateOnNewDocument(before);
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
