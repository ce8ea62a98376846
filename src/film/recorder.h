// Video recorder: pictures and stereo samples in, an MP4 file (H.264 yuv420p, and AAC when the film
// has sound) out. Written under a temporary name beside the target and renamed when complete, so no
// half-written file ever carries the target's name. Encoding runs on a thread of its own: the calls
// below hand over copies and return, and an encoder's or the disk's error shows at a later call.
// FFmpeg stays behind this interface.
#pragma once
#include <cstdint>
#include <string>

struct RecorderSettings {
  std::string path;         // target file, ending in ".mp4"
  int width = 0;            // pixels; even, 16..3840
  int height = 0;           // pixels; even, 16..2160
  int framesPerSecond = 0;  // 24, 25, 30, 50 or 60
  int sampleRate = 0;       // Hz of the stereo soundtrack; 0: a film without sound
};

struct Recorder;

// What is wrong with `settings` in words a user can act on, or an empty string when they are fine.
// Checks only the settings themselves; openRecorder also finds unwritable paths and encoder failures.
std::string recorderSettingsProblem(const RecorderSettings& settings);

// Opens the encoders and the temporary file "<path>.part" and writes the file header. On failure:
// nullptr, `error` says why, and nothing is left on disk.
Recorder* openRecorder(const RecorderSettings& settings, std::string& error);

// One picture of width x height pixels, 4 bytes each (red, green, blue, unused), rows bottom first
// and tightly packed: what glReadPixels gives for GL_RGBA. Copied; waits only while the encoder is two
// pictures behind. False once encoding has failed, with the reason in `error`.
bool recordPicture(Recorder* recorder, const uint8_t* rgbaBottomUp, std::string& error);

// `frameCount` stereo sample frames, interleaved left/right, -1..1. Any count; the recorder cuts
// them into the encoder's blocks. Copied, like a picture, and encoded in order with the pictures.
// Only for a film with sound.
bool recordSamples(Recorder* recorder, const float* stereo, int frameCount, std::string& error);

// Encodes what is queued, flushes both encoders, completes the file and renames it to its target path.
// Deletes the recorder.
// On failure the temporary file is removed and `error` says why.
bool finishRecording(Recorder* recorder, std::string& error);

// Stops without a file: what is queued is dropped, the temporary file removed. Deletes the recorder.
void abandonRecording(Recorder* recorder);

// Name of the temporary file while `path` is being recorded.
std::string recorderTemporaryPath(const std::string& path);
