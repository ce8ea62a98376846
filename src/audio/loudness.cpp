// Film loudness over libavfilter: "ebur128" measures, "volume" and "alimiter" (at four times the
// sample rate, so it sees the peaks between samples) set the level.
#include "audio/loudness.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
}

#include <algorithm>  // Required for: std::min(), std::copy_n()
#include <cmath>
#include <cstdio>     // Required for: std::snprintf()
#include <cstdlib>    // Required for: std::strtod()

namespace {

constexpr int kBlockFrames = 4800;    // sample frames per buffer handed to the filters
constexpr int kOversampling = 4;      // the limiter's rate over the track's
constexpr double kGateLufs = -70.0;   // R128's absolute gate: a quieter track holds nothing to measure
constexpr double kToleranceLu = 0.2;  // close enough to the target to stop adjusting the gain
constexpr int kGainSteps = 3;         // the limiter takes a little loudness; each step makes up for it

std::string filterError(const char* what, int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof(text));
  return std::string("the soundtrack's ") + what + " failed: " + text;
}

// Runs `stereo` through `chain` (may be empty), then a loudness meter. The filtered samples replace
// `out`'s content when it is given; `integrated` is the loudness (LUFS) of what came out.
bool runFilters(const std::string& chain, const std::vector<float>& stereo, int rate, std::vector<float>* out,
                double& integrated, std::string& error) {
  AVFilterGraph* graph = avfilter_graph_alloc();
  AVFilterContext* source = nullptr;
  AVFilterContext* sink = nullptr;
  AVFilterInOut* graphInput = avfilter_inout_alloc();
  AVFilterInOut* graphOutput = avfilter_inout_alloc();
  AVFrame* frame = av_frame_alloc();
  char sourceArgs[128];
  std::snprintf(sourceArgs, sizeof(sourceArgs), "sample_rate=%d:sample_fmt=flt:channel_layout=stereo:time_base=1/%d",
                rate, rate);
  char tail[128];
  std::snprintf(tail, sizeof(tail), "ebur128=metadata=1,aformat=sample_fmts=flt:sample_rates=%d:channel_layouts=stereo",
                rate);
  const std::string description = (chain.empty() ? "" : chain + ",") + tail;
  int result = graph != nullptr && graphInput != nullptr && graphOutput != nullptr && frame != nullptr
                   ? avfilter_graph_create_filter(&source, avfilter_get_by_name("abuffer"), "in", sourceArgs,
                                                  nullptr, graph)
                   : AVERROR(ENOMEM);
  if (result >= 0) {
    result = avfilter_graph_create_filter(&sink, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr, graph);
  }
  if (result >= 0) {
    // The parser's view: our source feeds its input "in", its output "out" feeds our sink.
    graphOutput->name = av_strdup("in");
    graphOutput->filter_ctx = source;
    graphInput->name = av_strdup("out");
    graphInput->filter_ctx = sink;
    result = avfilter_graph_parse_ptr(graph, description.c_str(), &graphInput, &graphOutput, nullptr);
  }
  if (result >= 0) result = avfilter_graph_config(graph, nullptr);
  if (result < 0) error = filterError("filters", result);

  if (out != nullptr) out->clear();
  const size_t frameCount = stereo.size() / 2;
  size_t sent = 0;
  bool ended = false;
  while (result >= 0 && !ended) {
    if (sent < frameCount) {
      const int count = static_cast<int>(std::min<size_t>(kBlockFrames, frameCount - sent));
      frame->format = AV_SAMPLE_FMT_FLT;
      frame->sample_rate = rate;
      const AVChannelLayout stereoLayout = AV_CHANNEL_LAYOUT_STEREO;
      av_channel_layout_copy(&frame->ch_layout, &stereoLayout);
      frame->nb_samples = count;
      frame->pts = static_cast<int64_t>(sent);
      result = av_frame_get_buffer(frame, 0);
      if (result >= 0) {
        std::copy_n(&stereo[2 * sent], 2 * static_cast<size_t>(count), reinterpret_cast<float*>(frame->data[0]));
        result = av_buffersrc_add_frame(source, frame);  // takes the frame's buffers
      }
      sent += count;
    } else {
      result = av_buffersrc_add_frame(source, nullptr);  // end of the track
    }
    while (result >= 0) {
      result = av_buffersink_get_frame(sink, frame);
      if (result < 0) break;
      const AVDictionaryEntry* loudness = av_dict_get(frame->metadata, "lavfi.r128.I", nullptr, 0);
      if (loudness != nullptr) integrated = std::strtod(loudness->value, nullptr);
      if (out != nullptr) {
        const auto* samples = reinterpret_cast<const float*>(frame->data[0]);
        out->insert(out->end(), samples, samples + 2 * static_cast<size_t>(frame->nb_samples));
      }
      av_frame_unref(frame);
    }
    ended = result == AVERROR_EOF;
    if (result == AVERROR(EAGAIN) || ended) {
      result = 0;
    } else if (error.empty()) {
      error = filterError("filters", result);
    }
  }
  av_frame_free(&frame);
  avfilter_inout_free(&graphInput);
  avfilter_inout_free(&graphOutput);
  avfilter_graph_free(&graph);
  // Resampling up and down again may end a few samples off; the track keeps its length.
  if (out != nullptr && error.empty()) out->resize(stereo.size(), 0.0f);
  return error.empty();
}

}  // namespace

bool normaliseLoudness(std::vector<float>& stereo, int sampleRate, double targetLufs, LoudnessChange& change,
                       std::string& error) {
  error.clear();
  change = LoudnessChange{};
  av_log_set_level(AV_LOG_ERROR);  // the meter's summary at the end of each run is no news to the user
  double measured = -HUGE_VAL;
  if (stereo.empty() || !runFilters("", stereo, sampleRate, nullptr, measured, error)) return error.empty();
  change.before = change.after = measured;
  change.measured = measured > kGateLufs;

  const double ceiling = std::pow(10.0, kTruePeakCeiling / 20.0);  // linear, full scale 1
  std::vector<float> levelled;
  change.gain = change.measured ? targetLufs - measured : 0.0;
  for (int step = 1;; ++step) {
    char chain[256];
    std::snprintf(chain, sizeof(chain), "volume=%.3fdB,aresample=%d,alimiter=limit=%.5f:level=0:latency=1,aresample=%d",
                  change.gain, kOversampling * sampleRate, ceiling, sampleRate);
    if (!runFilters(chain, stereo, sampleRate, &levelled, change.after, error)) return false;
    if (!change.measured || std::fabs(change.after - targetLufs) < kToleranceLu || step == kGainSteps) break;
    change.gain += targetLufs - change.after;
  }
  stereo.swap(levelled);
  return true;
}
