// The page around the program: options from the address, the poster and the data with a loading bar,
// the canvas kept at 4:3 in the window at a bounded drawing size, the start on a click (browsers keep
// sound off until the viewer acts), the end and a new start, full screen, a hidden tab, a lost WebGL
// context, and a clear message where WebGL or the data are missing or an option cannot apply.
//
// Address options mirror the program's command-line options: ?seed=3&fixed-dt=0.02&frames=1100&mute
// becomes --seed 3 --fixed-dt 0.02 --frames 1100 --mute. Two are the page's own: `autostart` starts
// without waiting for a click, and `event-log` sends the log to the console, one message per line.
// `fullscreen` fills the screen from the start click on, as --fullscreen fills it from the start.
//
// The page alone starts and stops the program's sound (see library_page.js): it plays while the
// frames run in a tab that shows, and the program's frames wait in a hidden tab and without WebGL.
"use strict";

(function () {
  const query = new URLSearchParams(location.search);
  const element = (id) => document.getElementById(id);
  const canvas = element("canvas");
  const frame = element("frame");
  const stage = element("stage");
  const aspect = 4 / 3;
  // The drawing buffer: more than 2 device pixels per CSS pixel are not seen from a screen's viewing
  // distance, and beyond this many pixels in all a browser drawing WebGL in software (SwiftShader)
  // takes longer than the frame rate the demo is made for (see README, "Run it in a browser").
  const maxPixelRatio = 2;
  const maxDrawingPixels = 1440 * 1080;

  // --size WxH fixes the drawing size; otherwise it follows the canvas's size on the screen.
  const fixedSize = /^(\d+)x(\d+)$/.exec(query.get("size") || "");
  const fullScreenShow = query.has("fullscreen");

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

  // What the page shows: "loading" (the poster, the bar), "start" (the poster, "Click to start"),
  // "running" (the frames), "ended" (the poster, "start again"), "stopped" (a message, for good).
  let phase = "loading";
  let contextLost = false;  // the browser took the WebGL context away: a message until it returns
  let programReady = false; // the program's main() has returned with its first frame standing

  function showCovers() {
    const message = phase === "stopped" || contextLost;
    element("poster").hidden = phase === "running" || message;
    element("loading").hidden = phase !== "loading" || message;
    element("start").hidden = phase !== "start" || message;
    element("ended").hidden = phase !== "ended" || message;
    element("message").hidden = !message;
    stage.classList.toggle("show", fullScreenShow && phase === "running");
  }

  // A title, a line of text, and text that keeps its lines (help's usage) if any.
  function say(title, text, preformatted = "") {
    element("message-title").textContent = title;
    element("message-text").textContent = text;
    element("message-pre").textContent = preformatted;
    element("message-pre").hidden = preformatted === "";
  }

  function stop(title, text, preformatted) {
    say(title, text, preformatted);
    phase = "stopped";
    showCovers();
  }

  // The program's sound (OpenAL over Web Audio), if it opened any.
  const audio = () => (window.AL && AL.currentCtx && AL.currentCtx.audioCtx) || null;

  // Sound with running frames in a tab that shows, silence otherwise. Called from the viewer's click
  // too, where browsers let a page resume its sound.
  function steerSound() {
    const sound = audio();
    if (!sound) return;
    const wanted = phase === "running" && !document.hidden && !contextLost;
    if (wanted && sound.state === "suspended") sound.resume();
    if (!wanted && sound.state === "running") sound.suspend();
  }

  function drawingSize(width, height) {
    if (fixedSize) return [Number(fixedSize[1]), Number(fixedSize[2])];
    const ratio = Math.min(window.devicePixelRatio || 1, maxPixelRatio);
    const shrink = Math.min(1, Math.sqrt(maxDrawingPixels / (width * ratio * height * ratio)));
    return [Math.max(1, Math.floor(width * ratio * shrink)), Math.max(1, Math.floor(height * ratio * shrink))];
  }

  function layout() {
    const width = Math.min(window.innerWidth, window.innerHeight * aspect);
    const height = width / aspect;
    frame.style.width = Math.floor(width) + "px";
    frame.style.height = Math.floor(height) + "px";
    const [drawWidth, drawHeight] = drawingSize(Math.floor(width), Math.floor(height));
    if (canvas.width !== drawWidth || canvas.height !== drawHeight) {
      canvas.width = drawWidth;
      canvas.height = drawHeight;
      if (programReady) Module._karvosta_reshape(drawWidth, drawHeight);
    }
  }

  function enterFullScreen() {
    if (!document.fullscreenElement) stage.requestFullscreen().catch(() => {});
  }

  function start() {
    if (contextLost || (phase !== "start" && phase !== "ended")) return;
    // A click is the gesture browsers wait for before any sound and before filling the screen.
    if (fullScreenShow) enterFullScreen();
    phase = "running";
    showCovers();
    canvas.focus();
    Module._karvosta_start();
    steerSound();
  }

  const Module = {
    canvas: canvas,
    arguments: programArguments(),
    print: (text) => console.info(text),
    printErr: (text) => console.warn(text),
    // The data arrive through the page's own fetch, with progress and a clear failure.
    getPreloadedPackage: () => dataPackage,
    onAbort: (what) => stop("The demo stopped.", String(what)),
    onProgram: (kind, text) => {
      if (kind === "ready") {
        programReady = true;
        console.info("first frame after " + Math.round(performance.now()) + " ms");
        Module._karvosta_hidden(document.hidden ? 1 : 0);
        if (contextLost) Module._karvosta_context_lost();  // lost while the program started
        phase = "start";
        if (query.has("autostart")) {
          start();
          // Browsers fill the screen only from a click: the first one anywhere does it.
          if (fullScreenShow) document.addEventListener("click", enterFullScreen, { once: true });
        } else {
          showCovers();
        }
      } else if (kind === "frames-done") {
        console.log("frames done");
      } else if (kind === "ended") {
        phase = "ended";
        showCovers();
        steerSound();
      } else if (kind === "help") {
        stop("Options", "Each goes in the address as its command-line twin does: ?seed=3&fixed-dt=0.02&mute runs as " +
             "--seed 3 --fixed-dt 0.02 --mute. The page's own: autostart (no click), event-log (to the console).", text);
      } else if (kind === "version") {
        stop("Karvosta", text);
      } else if (kind === "no-webgl") {
        stop("This page needs WebGL.", "The browser did not give the demo a WebGL context: it may be switched off, or the graphics driver is blocked.");
      } else if (kind === "failed") {
        stop("The demo cannot start.", text);
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
    else enterFullScreen();
  });
  window.addEventListener("resize", layout);
  // With `autostart` the frames run before any click, and browsers hold a page's sound until the
  // viewer's first click or key: the page lets it play then. Before the start these wake nothing.
  for (const gesture of ["pointerdown", "keydown"]) document.addEventListener(gesture, steerSound);
  // A hidden tab stops drawing; its sound stops with it, and both go on where they stood.
  document.addEventListener("visibilitychange", () => {
    if (programReady) Module._karvosta_hidden(document.hidden ? 1 : 0);
    steerSound();
  });
  // A GPU reset, a driver update or a phone reclaiming memory takes the context away. Without
  // preventDefault() the browser would never give it back.
  canvas.addEventListener("webglcontextlost", (event) => {
    event.preventDefault();
    contextLost = true;
    say("The picture is lost for a moment.", "The browser took the graphics away (a reset of the graphics driver, " +
        "or a lack of memory). The demo waits and goes on when they are back.");
    showCovers();
    if (programReady) Module._karvosta_context_lost();
    steerSound();
  });
  canvas.addEventListener("webglcontextrestored", () => {
    if (programReady) Module._karvosta_context_restored();
    contextLost = false;
    showCovers();
    steerSound();
  });
  layout();
  showCovers();

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
  // in main/main_web.cpp. It is made once the poster stands: a software renderer takes a few hundred
  // milliseconds for it, and a page shows nothing while its script runs.
  const data = fetchData("karvosta.data");
  data.catch(() => {});  // said once WebGL is there
  const attributes = { alpha: false, depth: true, stencil: false, antialias: false,
                       preserveDrawingBuffer: query.has("frames") };
  requestAnimationFrame(() => setTimeout(startProgram, 0));

  function startProgram() {
    if (!canvas.getContext("webgl", attributes)) {
      stop("This page needs WebGL.", "This browser offers no WebGL, or has it switched off: the demo draws with it.");
      return;
    }
    data.then(loadProgram, (error) => {
      stop("The demo's data could not be loaded.", String(error.message || error));
    });
  }

  function loadProgram(bytes) {
    dataPackage = bytes;
    element("loading-text").textContent = "Starting …";
    const script = document.createElement("script");
    script.src = "karvosta.js";
    script.onerror = () => stop("The demo could not be loaded.", "karvosta.js did not arrive.");
    document.body.appendChild(script);
  }
})();
