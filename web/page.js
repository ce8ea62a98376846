// The page around the program: options from the address, the data with a loading bar, the canvas
// kept at 4:3 in the window, the start on a click (browsers keep sound off until the viewer acts),
// the end and a new start, full screen, and a clear message where WebGL or the data are missing.
//
// Address options mirror the program's command-line options: ?seed=3&fixed-dt=0.02&frames=1100&mute
// becomes --seed 3 --fixed-dt 0.02 --frames 1100 --mute. Two are the page's own: `autostart` starts
// without waiting for a click, and `event-log` sends the log to the console, one message per line.
"use strict";

(function () {
  const query = new URLSearchParams(location.search);
  const element = (id) => document.getElementById(id);
  const canvas = element("canvas");
  const frame = element("frame");
  const aspect = 4 / 3;

  // --size WxH fixes the drawing size; otherwise it follows the canvas's size on the screen.
  const fixedSize = /^(\d+)x(\d+)$/.exec(query.get("size") || "");

  function programArguments() {
    const args = [];
    for (const [name, value] of query) {
      if (name === "autostart") continue;
      if (name === "event-log") {
        args.push("--event-log", "/dev/eventlog");  // the device of pre.js
        continue;
      }
      args.push("--" + name);
      if (value !== "") args.push(value);
    }
    return args;
  }

  function show(id) {
    for (const cover of ["loading", "start", "ended", "message"]) element(cover).hidden = cover !== id;
  }

  function fail(title, text) {
    element("message-title").textContent = title;
    element("message-text").textContent = text;
    show("message");
  }

  function layout() {
    const width = Math.min(window.innerWidth, window.innerHeight * aspect);
    const height = width / aspect;
    frame.style.width = Math.floor(width) + "px";
    frame.style.height = Math.floor(height) + "px";
    const scale = window.devicePixelRatio || 1;
    const drawWidth = fixedSize ? Number(fixedSize[1]) : Math.max(1, Math.round(width * scale));
    const drawHeight = fixedSize ? Number(fixedSize[2]) : Math.max(1, Math.round(height * scale));
    if (canvas.width !== drawWidth || canvas.height !== drawHeight) {
      canvas.width = drawWidth;
      canvas.height = drawHeight;
      if (running && Module._karvosta_reshape) Module._karvosta_reshape(drawWidth, drawHeight);
    }
  }

  let running = false;  // the program's main() has returned with its first frame standing

  // The program's sound (OpenAL over Web Audio), if it opened any.
  const audio = () => (window.AL && AL.currentCtx && AL.currentCtx.audioCtx) || null;

  function start() {
    // A click is the gesture browsers wait for before any sound: picture and sound start together.
    if (audio()) audio().resume();
    show(null);
    canvas.focus();
    Module._karvosta_start();
  }

  const Module = {
    canvas: canvas,
    arguments: programArguments(),
    print: (text) => console.info(text),
    printErr: (text) => console.warn(text),
    // The data arrive through the page's own fetch, with progress and a clear failure.
    getPreloadedPackage: () => dataPackage,
    onAbort: (what) => fail("The demo stopped.", String(what)),
    onProgram: (kind, text) => {
      if (kind === "ready") {
        running = true;
        console.info("first frame after " + Math.round(performance.now()) + " ms");
        if (query.has("autostart")) {
          start();
        } else {
          // Also where the browser would let it play at once, the sound waits for the picture.
          if (audio()) audio().suspend();
          show("start");
        }
      } else if (kind === "frames-done") {
        console.log("frames done");
      } else if (kind === "ended") {
        show("ended");
      } else if (kind === "no-webgl") {
        fail("This page needs WebGL.", "The browser did not give the demo a WebGL context: it may be switched off, or the graphics driver is blocked.");
      } else if (kind === "failed") {
        fail("The demo cannot start.", text);
      } else if (kind === "error") {
        const notice = document.createElement("div");
        notice.textContent = text;
        element("notices").appendChild(notice);
      }
    },
  };
  window.Module = Module;
  let dataPackage = null;

  element("start").addEventListener("click", start);
  element("ended").addEventListener("click", start);
  element("fullscreen").addEventListener("click", () => {
    if (document.fullscreenElement) document.exitFullscreen();
    else element("stage").requestFullscreen().catch(() => {});
  });
  window.addEventListener("resize", layout);
  layout();

  async function fetchData(url) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(url + ": " + response.status + " " + response.statusText);
    const total = Number(response.headers.get("Content-Length")) || 0;
    const reader = response.body.getReader();
    const parts = [];
    let received = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      parts.push(value);
      received += value.length;
      if (total > 0) element("progress").value = received / total;
    }
    const bytes = new Uint8Array(received);
    let at = 0;
    for (const part of parts) {
      bytes.set(part, at);
      at += part.length;
    }
    return bytes.buffer;
  }

  // The data are on their way while WebGL starts: both take a while. The context is the program's
  // own (a canvas keeps the first context made on it), so it has the attributes the program asks for
  // in main/main_web.cpp.
  const data = fetchData("karvosta.data");
  const attributes = { alpha: false, depth: true, stencil: false, antialias: false,
                       preserveDrawingBuffer: query.has("frames") };
  if (!canvas.getContext("webgl", attributes)) {
    fail("This page needs WebGL.", "This browser offers no WebGL, or has it switched off: the demo draws with it.");
    return;
  }
  data.then((bytes) => {
    dataPackage = bytes;
    element("loading-text").textContent = "Starting …";
    const script = document.createElement("script");
    script.src = "karvosta.js";
    script.onerror = () => fail("The demo could not be loaded.", "karvosta.js did not arrive.");
    document.body.appendChild(script);
  }, (error) => {
    fail("The demo's data could not be loaded.", String(error.message || error));
  });
})();
