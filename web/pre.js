// Runs inside the program's script before the program: the event log's device, and the sounds
// decoded into PCM.
//
// `--event-log /dev/eventlog` writes the log to the device, and each line becomes one console
// message (in node, one line on standard output, with the program's own output moved to standard
// error).
//
// The page's data hold the sounds as MP3 (scripts/build-web.sh), which the program's sound layer does
// not read: before main() the browser decodes each into the WAV the generator's file decodes to, under
// the file's own name, at the file's rate (an OfflineAudioContext at that rate does not resample).
// sounds.json gives each file's frames and the lead of its wrapped loop (see build-web.sh); a probe
// file, a click at a known frame encoded alike, shows how many frames of encoder and decoder delay
// this browser leaves before a sound (none where it honours the encoder's gapless tag). Under node
// (headless runs) nothing plays: the files stay as they are, for the silent layer to find.
var karvostaNode = typeof process === "object" && typeof process.versions === "object" &&
    typeof process.versions.node === "string";
if (karvostaNode && !Module.print) {
  Module.print = function (text) { process.stderr.write(text + "\n"); };
}

// 16-bit PCM WAV of `frames` frames of the decoded buffer from frame `first` on (zeros past its end).
function karvostaWav(buffer, first, frames) {
  var channels = buffer.numberOfChannels, bytes = new DataView(new ArrayBuffer(44 + frames * channels * 2));
  var text = function (at, value) { for (var i = 0; i < value.length; ++i) bytes.setUint8(at + i, value.charCodeAt(i)); };
  text(0, "RIFF"); bytes.setUint32(4, 36 + frames * channels * 2, true); text(8, "WAVEfmt ");
  bytes.setUint32(16, 16, true); bytes.setUint16(20, 1, true); bytes.setUint16(22, channels, true);
  bytes.setUint32(24, buffer.sampleRate, true); bytes.setUint32(28, buffer.sampleRate * channels * 2, true);
  bytes.setUint16(32, channels * 2, true); bytes.setUint16(34, 16, true);
  text(36, "data"); bytes.setUint32(40, frames * channels * 2, true);
  for (var c = 0; c < channels; ++c) {
    var samples = buffer.getChannelData(c);
    for (var f = 0; f < frames; ++f) {
      var value = first + f < samples.length ? samples[first + f] : 0;
      bytes.setInt16(44 + (f * channels + c) * 2, Math.max(-32768, Math.min(32767, Math.round(value * 32768))), true);
    }
  }
  return new Uint8Array(bytes.buffer);
}

// The files come from another preRun function, the data package's, which Emscripten may call after
// this one: the work waits for the end of the preRun functions, and main() waits for the work.
function karvostaDecodeSounds() {
  if (karvostaNode || typeof OfflineAudioContext !== "function") return;
  addRunDependency("karvosta-sounds");
  Promise.resolve().then(karvostaDecodeFiles).catch(function (error) { err("the sounds: " + error); })
      .then(function () { removeRunDependency("karvosta-sounds"); });
}

function karvostaDecodeFiles() {
  var folder = "/data/sound/";
  if (!FS.analyzePath(folder + "sounds.json").exists) return;
  var manifest = JSON.parse(new TextDecoder().decode(FS.readFile(folder + "sounds.json")));
  var probe = manifest.probe;
  delete manifest.probe;
  var decode = function (path, rate) {
    var bytes = FS.readFile(path);
    return new OfflineAudioContext(1, 1, rate).decodeAudioData(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length));
  };
  var delays = {};  // by "rate-channels": frames before a sound's first one
  var delayOf = function (sound) {
    var key = sound.rate + "-" + sound.channels;
    if (!delays[key]) {
      delays[key] = decode(folder + probe.file.replace("RATE-CHANNELS", key), sound.rate).then(function (buffer) {
        var samples = buffer.getChannelData(0), loudest = 0;
        for (var i = 1; i < samples.length; ++i) if (Math.abs(samples[i]) > Math.abs(samples[loudest])) loudest = i;
        return Math.max(0, loudest - probe.at);
      });
    }
    return delays[key];
  };
  return Promise.all(Object.keys(manifest).map(function (name) {
    var sound = manifest[name];
    return Promise.all([decode(folder + name, sound.rate), delayOf(sound)]).then(function (decoded) {
      FS.writeFile(folder + name, karvostaWav(decoded[0], decoded[1] + sound.lead, sound.frames));
    }, function (error) {
      err("sound file " + name + ": the browser cannot decode it (" + error + ")");  // the program says the rest
    });
  }));
}

Module.preRun = [].concat(Module.preRun || [], [function () {
  var bytes = [];
  var emit = Module.eventLogLine || (karvostaNode ? function (line) { process.stdout.write(line + "\n"); }
                                                  : function (line) { console.log(line); });
  FS.createDevice("/dev", "eventlog", null, function (code) {
    if (code === null || code === undefined) return;
    if (code === 10) {
      emit(String.fromCharCode.apply(null, bytes));
      bytes = [];
    } else {
      bytes.push(code);
    }
  });
}, karvostaDecodeSounds]);
