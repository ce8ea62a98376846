// Video recorder over FFmpeg: libx264 (or any H.264 encoder) and the native AAC encoder into the MP4
// muxer, swscale for the colour conversion of each picture. Conversion and encoding run on a thread of
// their own, fed through a short queue, so the caller goes on drawing while a picture is encoded.
#include "film/recorder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>  // Required for: std::min()
#include <cctype>     // Required for: std::tolower()
#include <cerrno>
#include <condition_variable>
#include <cstdio>     // Required for: std::rename(), std::remove()
#include <cstring>    // Required for: std::strerror(), std::memcpy()
#include <deque>
#include <mutex>
#include <new>           // Required for: std::bad_alloc
#include <system_error>  // Required for: std::system_error, a thread that cannot start
#include <thread>
#include <vector>

namespace {

constexpr int kMinSide = 16;       // pixels; smaller pictures are no film
constexpr int kMaxWidth = 3840;    // pixels (UHD)
constexpr int kMaxHeight = 2160;
constexpr int kFrameRates[] = {24, 25, 30, 50, 60};  // frames per second
constexpr int kKeyframeSeconds = 2;  // a keyframe every 2 s, so a player can seek anywhere quickly
// x264's speed/size trade-off and constant rate factor (lower is better). On the demo's pictures (a
// battle at 1080p against a lossless copy) "superfast" at 22 matches "veryfast" at 20 in PSNR (45.8
// against 45.6 dB) and SSIM (0.9894 against 0.9893) for 58 % of its encoding time, in a file a
// quarter larger; "ultrafast" is faster still but takes 1.5 times the bytes for that quality.
constexpr const char* kVideoPreset = "superfast";
constexpr const char* kVideoQuality = "22";
// Stereo AAC. At lower rates the encoder adds up to 1 dB to the peaks of noisy sounds (shots,
// explosions), which would pass the true-peak limit the soundtrack is levelled to. At this rate the
// fast coder keeps them within 0.2 dB, for less CPU than the default coder needs at half the rate.
constexpr int64_t kAudioBitRate = 320000;  // bits per second
constexpr const char* kAudioCoder = "fast";
constexpr int kQueuedPictures = 2;  // pictures handed over and not yet encoded, at most

std::string avErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof(text));
  return text;
}

bool hasMp4Extension(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".mp4";
}

}  // namespace

struct Recorder {
  RecorderSettings settings;
  std::string temporaryPath;
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  SwsContext* converter = nullptr;
  AVFrame* picture = nullptr;    // yuv420p, the encoder's input
  AVFrame* soundBlock = nullptr;  // planar float, one encoder block
  AVPacket* packet = nullptr;
  int64_t picturesSent = 0;  // the next picture's time stamp, in frames
  int64_t samplesSent = 0;   // the next block's time stamp, in sample frames
  std::vector<float> pendingSamples;  // interleaved stereo not yet filling a whole block
  bool fileCreated = false;  // the temporary file exists on disk

  // The encoder thread and its queue: pictures and sound in the order they were handed over.
  struct Job {
    std::vector<uint8_t> picture;  // empty: a sound job
    std::vector<float> sound;
  };
  std::thread encoder;
  std::mutex lock;  // guards everything below
  std::condition_variable changed;
  std::deque<Job> jobs;
  std::vector<std::vector<uint8_t>> sparePictures;  // encoded pictures' buffers, for the next ones
  int picturesQueued = 0;
  bool closing = false;     // no more jobs come: the thread ends once the queue is empty
  bool abandoned = false;   // the remaining jobs are dropped
  std::string failure;      // the thread's first error; it encodes nothing after one
};

namespace {

// Lets the encoder thread finish (or drop, when abandoning) what is queued, and waits for it.
void stopEncoder(Recorder* recorder, bool abandon) {
  if (!recorder->encoder.joinable()) return;
  {
    std::lock_guard<std::mutex> guard(recorder->lock);
    recorder->closing = true;
    recorder->abandoned = abandon;
  }
  recorder->changed.notify_all();
  recorder->encoder.join();
}

void releaseRecorder(Recorder* recorder, bool removeFile) {
  stopEncoder(recorder, true);
  if (recorder->format != nullptr && recorder->format->pb != nullptr) avio_closep(&recorder->format->pb);
  if (removeFile && recorder->fileCreated) std::remove(recorder->temporaryPath.c_str());
  avformat_free_context(recorder->format);
  avcodec_free_context(&recorder->video);
  avcodec_free_context(&recorder->audio);
  sws_freeContext(recorder->converter);
  av_frame_free(&recorder->picture);
  av_frame_free(&recorder->soundBlock);
  av_packet_free(&recorder->packet);
  delete recorder;
}

// Sends one frame (nullptr: end of stream) and writes every packet the encoder has ready.
bool encode(Recorder& recorder, AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error) {
  int result = avcodec_send_frame(codec, frame);
  if (result < 0) {
    error = std::string("the ") + codec->codec->name + " encoder failed: " + avErrorText(result);
    return false;
  }
  while ((result = avcodec_receive_packet(codec, recorder.packet)) >= 0) {
    // Every picture lasts one frame; without it the last picture would have no length in the file.
    if (codec == recorder.video && recorder.packet->duration == 0) recorder.packet->duration = 1;
    av_packet_rescale_ts(recorder.packet, codec->time_base, stream->time_base);
    recorder.packet->stream_index = stream->index;
    result = av_interleaved_write_frame(recorder.format, recorder.packet);
    // Writes are buffered: a full disk may show up only in the I/O context's error field.
    if (result >= 0 && recorder.format->pb->error < 0) result = recorder.format->pb->error;
    if (result < 0) {
      error = "cannot write " + recorder.temporaryPath + ": " + avErrorText(result);
      return false;
    }
  }
  if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) {
    error = std::string("the ") + codec->codec->name + " encoder failed: " + avErrorText(result);
    return false;
  }
  return true;
}

// Encodes `frameCount` sample frames from the front of the pending samples as one block.
bool encodeSoundBlock(Recorder& recorder, int frameCount, std::string& error) {
  AVFrame* block = recorder.soundBlock;
  if (av_frame_make_writable(block) < 0) {
    error = "out of memory for the soundtrack";
    return false;
  }
  block->nb_samples = frameCount;
  auto* left = reinterpret_cast<float*>(block->data[0]);
  auto* right = reinterpret_cast<float*>(block->data[1]);
  for (int i = 0; i < frameCount; ++i) {
    left[i] = recorder.pendingSamples[2 * i];
    right[i] = recorder.pendingSamples[2 * i + 1];
  }
  recorder.pendingSamples.erase(recorder.pendingSamples.begin(), recorder.pendingSamples.begin() + 2 * frameCount);
  block->pts = recorder.samplesSent;
  recorder.samplesSent += frameCount;
  return encode(recorder, recorder.audio, recorder.audioStream, block, error);
}

bool openVideo(Recorder& recorder, std::string& error) {
  const RecorderSettings& settings = recorder.settings;
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (codec == nullptr) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
  if (codec == nullptr) {
    error = "this FFmpeg has no H.264 encoder";
    return false;
  }
  AVCodecContext* video = recorder.video = avcodec_alloc_context3(codec);
  video->width = settings.width;
  video->height = settings.height;
  video->time_base = AVRational{1, settings.framesPerSecond};
  video->framerate = AVRational{settings.framesPerSecond, 1};
  video->pix_fmt = AV_PIX_FMT_YUV420P;
  video->gop_size = kKeyframeSeconds * settings.framesPerSecond;
  // Studio-range BT.709, the colours every browser assumes for HD video; the converter below matches.
  video->colorspace = AVCOL_SPC_BT709;
  video->color_primaries = AVCOL_PRI_BT709;
  video->color_trc = AVCOL_TRC_BT709;
  video->color_range = AVCOL_RANGE_MPEG;
  if (recorder.format->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "preset", kVideoPreset, 0);
  av_dict_set(&options, "crf", kVideoQuality, 0);
  const int result = avcodec_open2(video, codec, &options);
  av_dict_free(&options);
  if (result < 0) {
    error = std::string("the H.264 encoder (") + codec->name + ") could not be opened: " + avErrorText(result);
    return false;
  }
  recorder.videoStream = avformat_new_stream(recorder.format, nullptr);
  avcodec_parameters_from_context(recorder.videoStream->codecpar, video);
  recorder.videoStream->time_base = video->time_base;

  recorder.converter = sws_getContext(settings.width, settings.height, AV_PIX_FMT_RGBA, settings.width,
                                      settings.height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (recorder.converter == nullptr) {
    error = "the colour converter could not be set up";
    return false;
  }
  const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
  sws_setColorspaceDetails(recorder.converter, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
  recorder.picture = av_frame_alloc();
  recorder.picture->format = AV_PIX_FMT_YUV420P;
  recorder.picture->width = settings.width;
  recorder.picture->height = settings.height;
  if (av_frame_get_buffer(recorder.picture, 0) < 0) {
    error = "out of memory for a picture";
    return false;
  }
  return true;
}

bool openAudio(Recorder& recorder, std::string& error) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
  if (codec == nullptr) {
    error = "this FFmpeg has no AAC encoder";
    return false;
  }
  AVCodecContext* audio = recorder.audio = avcodec_alloc_context3(codec);
  audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
  audio->sample_rate = recorder.settings.sampleRate;
  const AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  av_channel_layout_copy(&audio->ch_layout, &stereo);
  audio->bit_rate = kAudioBitRate;
  audio->time_base = AVRational{1, recorder.settings.sampleRate};
  if (recorder.format->oformat->flags & AVFMT_GLOBALHEADER) audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "aac_coder", kAudioCoder, 0);
  const int result = avcodec_open2(audio, codec, &options);
  av_dict_free(&options);
  if (result < 0) {
    error = "the AAC encoder could not be opened: " + avErrorText(result);
    return false;
  }
  recorder.audioStream = avformat_new_stream(recorder.format, nullptr);
  avcodec_parameters_from_context(recorder.audioStream->codecpar, audio);
  recorder.audioStream->time_base = audio->time_base;

  AVFrame* block = recorder.soundBlock = av_frame_alloc();
  block->format = AV_SAMPLE_FMT_FLTP;
  block->sample_rate = audio->sample_rate;
  av_channel_layout_copy(&block->ch_layout, &stereo);
  block->nb_samples = audio->frame_size;
  if (av_frame_get_buffer(block, 0) < 0) {
    error = "out of memory for the soundtrack";
    return false;
  }
  return true;
}

bool encodePicture(Recorder& recorder, const uint8_t* rgbaBottomUp, std::string& error) {
  const int width = recorder.settings.width, height = recorder.settings.height;
  AVFrame* picture = recorder.picture;
  if (av_frame_make_writable(picture) < 0) {
    error = "out of memory for a picture";
    return false;
  }
  // A negative stride from the last row turns the bottom-up rows the right way up during conversion.
  const int rowBytes = width * 4;
  const uint8_t* source[1] = {rgbaBottomUp + static_cast<size_t>(height - 1) * rowBytes};
  const int sourceStride[1] = {-rowBytes};
  sws_scale(recorder.converter, source, sourceStride, 0, height, picture->data, picture->linesize);
  picture->pts = recorder.picturesSent++;
  return encode(recorder, recorder.video, recorder.videoStream, picture, error);
}

bool encodeSamples(Recorder& recorder, const std::vector<float>& stereo, std::string& error) {
  recorder.pendingSamples.insert(recorder.pendingSamples.end(), stereo.begin(), stereo.end());
  const int blockSize = recorder.audio->frame_size;
  while (recorder.pendingSamples.size() >= 2 * static_cast<size_t>(blockSize)) {
    if (!encodeSoundBlock(recorder, blockSize, error)) return false;
  }
  return true;
}

// Takes the jobs in order until the queue is closed and empty.
void encodeQueue(Recorder* recorder) {
  for (;;) {
    Recorder::Job job;
    bool skip = false;
    {
      std::unique_lock<std::mutex> guard(recorder->lock);
      recorder->changed.wait(guard, [recorder] { return !recorder->jobs.empty() || recorder->closing; });
      if (recorder->jobs.empty() || recorder->abandoned) return;
      job = std::move(recorder->jobs.front());
      recorder->jobs.pop_front();
      skip = !recorder->failure.empty();
    }
    std::string error;
    const bool isPicture = !job.picture.empty();
    const bool ok = skip || (isPicture ? encodePicture(*recorder, job.picture.data(), error)
                                       : encodeSamples(*recorder, job.sound, error));
    {
      std::lock_guard<std::mutex> guard(recorder->lock);
      if (!ok) recorder->failure = error;
      if (isPicture) {
        --recorder->picturesQueued;
        recorder->sparePictures.push_back(std::move(job.picture));
      }
    }
    recorder->changed.notify_all();
  }
}

// The encoder thread. A lack of memory ends the encoding as an encoder's error does, not the program.
void encodeJobs(Recorder* recorder) {
  try {
    encodeQueue(recorder);
  } catch (const std::bad_alloc&) {
    std::lock_guard<std::mutex> guard(recorder->lock);
    recorder->failure = "out of memory for the encoder";
  }
  recorder->changed.notify_all();
}

// Queues a job; false (and the thread's error) once the thread has failed.
bool queueJob(Recorder* recorder, Recorder::Job job, std::string& error) {
  {
    std::lock_guard<std::mutex> guard(recorder->lock);
    if (!recorder->failure.empty()) {
      error = recorder->failure;
      return false;
    }
    if (!job.picture.empty()) ++recorder->picturesQueued;
    recorder->jobs.push_back(std::move(job));
  }
  recorder->changed.notify_all();
  return true;
}

}  // namespace

std::string recorderTemporaryPath(const std::string& path) { return path + ".part"; }

std::string recorderSettingsProblem(const RecorderSettings& settings) {
  if (!hasMp4Extension(settings.path)) {
    return settings.path + ": unknown extension; the recording is written as an .mp4 file";
  }
  const std::string size = std::to_string(settings.width) + "x" + std::to_string(settings.height);
  if (settings.width < kMinSide || settings.height < kMinSide || settings.width > kMaxWidth ||
      settings.height > kMaxHeight) {
    return "picture size " + size + " is out of range (16x16 to 3840x2160)";
  }
  // yuv420p keeps one colour sample per 2 x 2 pixels: H.264 encoders refuse odd sizes.
  if (settings.width % 2 != 0 || settings.height % 2 != 0) {
    return "picture size " + size + ": width and height must be even numbers";
  }
  if (std::find(std::begin(kFrameRates), std::end(kFrameRates), settings.framesPerSecond) == std::end(kFrameRates)) {
    return "frame rate " + std::to_string(settings.framesPerSecond) + " is not offered; use 24, 25, 30, 50 or 60";
  }
  if (settings.sampleRate < 0) return "no sample rate for the soundtrack";
  return "";
}

Recorder* openRecorder(const RecorderSettings& settings, std::string& error) {
  error = recorderSettingsProblem(settings);
  if (!error.empty()) return nullptr;
  av_log_set_level(AV_LOG_ERROR);  // the encoders' chatter would bury our progress line
  auto* recorder = new Recorder();
  recorder->settings = settings;
  recorder->temporaryPath = recorderTemporaryPath(settings.path);
  int result = avformat_alloc_output_context2(&recorder->format, nullptr, "mp4", recorder->temporaryPath.c_str());
  if (result < 0) {
    error = "the MP4 writer could not be set up: " + avErrorText(result);
    releaseRecorder(recorder, false);
    return nullptr;
  }
  recorder->packet = av_packet_alloc();
  if (!openVideo(*recorder, error) || (settings.sampleRate > 0 && !openAudio(*recorder, error))) {
    releaseRecorder(recorder, false);
    return nullptr;
  }
  result = avio_open(&recorder->format->pb, recorder->temporaryPath.c_str(), AVIO_FLAG_WRITE);
  if (result < 0) {
    error = "cannot write " + recorder->temporaryPath + ": " + avErrorText(result);
    releaseRecorder(recorder, false);
    return nullptr;
  }
  recorder->fileCreated = true;
  // The index goes to the front at the end, so a web page can start playing before the whole file is in.
  AVDictionary* options = nullptr;
  av_dict_set(&options, "movflags", "+faststart", 0);
  result = avformat_write_header(recorder->format, &options);
  av_dict_free(&options);
  if (result < 0) {
    error = "cannot write " + recorder->temporaryPath + ": " + avErrorText(result);
    releaseRecorder(recorder, true);
    return nullptr;
  }
  try {
    recorder->encoder = std::thread(encodeJobs, recorder);
  } catch (const std::system_error& failure) {
    error = "the encoder's thread cannot start: " + failure.code().message();
    releaseRecorder(recorder, true);
    return nullptr;
  }
  return recorder;
}

bool recordPicture(Recorder* recorder, const uint8_t* rgbaBottomUp, std::string& error) {
  const size_t bytes = static_cast<size_t>(recorder->settings.width) * recorder->settings.height * 4;
  Recorder::Job job;
  {
    // Waits while the encoder is kQueuedPictures behind: the queue's memory stays bounded.
    std::unique_lock<std::mutex> guard(recorder->lock);
    recorder->changed.wait(guard, [recorder] {
      return recorder->picturesQueued < kQueuedPictures || !recorder->failure.empty();
    });
    if (!recorder->sparePictures.empty()) {
      job.picture = std::move(recorder->sparePictures.back());
      recorder->sparePictures.pop_back();
    }
  }
  job.picture.resize(bytes);
  std::memcpy(job.picture.data(), rgbaBottomUp, bytes);
  return queueJob(recorder, std::move(job), error);
}

bool recordSamples(Recorder* recorder, const float* stereo, int frameCount, std::string& error) {
  Recorder::Job job;
  job.sound.assign(stereo, stereo + 2 * static_cast<size_t>(frameCount));
  return queueJob(recorder, std::move(job), error);
}

bool finishRecording(Recorder* recorder, std::string& error) {
  stopEncoder(recorder, false);
  if (!recorder->failure.empty()) error = recorder->failure;
  // The last sound block may be short; the encoder accepts that once, at the end.
  const int rest = static_cast<int>(recorder->pendingSamples.size() / 2);
  bool ok = recorder->failure.empty() && (rest == 0 || encodeSoundBlock(*recorder, rest, error)) &&
            encode(*recorder, recorder->video, recorder->videoStream, nullptr, error) &&
            (recorder->audio == nullptr || encode(*recorder, recorder->audio, recorder->audioStream, nullptr, error));
  if (ok) {
    const int result = av_write_trailer(recorder->format);
    const int ioError = recorder->format->pb->error;
    if (result < 0 || ioError < 0) {
      error = "cannot write " + recorder->temporaryPath + ": " + avErrorText(result < 0 ? result : ioError);
      ok = false;
    }
  }
  if (ok) {
    const int result = avio_closep(&recorder->format->pb);
    if (result < 0) {
      error = "cannot write " + recorder->temporaryPath + ": " + avErrorText(result);
      ok = false;
    }
  }
  if (ok && std::rename(recorder->temporaryPath.c_str(), recorder->settings.path.c_str()) != 0) {
    error = "cannot rename " + recorder->temporaryPath + " to " + recorder->settings.path + ": " + std::strerror(errno);
    ok = false;
  }
  releaseRecorder(recorder, !ok);
  return ok;
}

void abandonRecording(Recorder* recorder) { releaseRecorder(recorder, true); }
