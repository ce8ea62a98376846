// Synthesised effects: wind, sails, ocean, two duck calls, four cannon shots, explosion, splash.
// Every generator is seeded, so each file is the same on every run.
#include <algorithm>

#include "audio.h"
#include "det_math.h"

namespace {

// [SECTION] Building blocks
constexpr double kDt = 1.0 / kSampleRate;

size_t samplesFor(double seconds) { return static_cast<size_t>(seconds * kSampleRate + 0.5); }

// Biquad (transposed direct form II) with the usual audio-cookbook coefficients.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, z1 = 0, z2 = 0;

  static Biquad make(double cutoff, double q, int type) {
    const double w = dm::kTwoPi * cutoff / kSampleRate;
    const double cw = dm::cos(w), alpha = dm::sin(w) / (2.0 * q);
    Biquad f;
    const double a0 = 1.0 + alpha;
    if (type == 0) {  // low-pass
      f.b0 = (1.0 - cw) * 0.5;
      f.b1 = 1.0 - cw;
      f.b2 = f.b0;
    } else if (type == 1) {  // high-pass
      f.b0 = (1.0 + cw) * 0.5;
      f.b1 = -(1.0 + cw);
      f.b2 = f.b0;
    } else {  // band-pass, 0 dB peak
      f.b0 = alpha;
      f.b1 = 0.0;
      f.b2 = -alpha;
    }
    f.a1 = -2.0 * cw;
    f.a2 = 1.0 - alpha;
    f.b0 /= a0;
    f.b1 /= a0;
    f.b2 /= a0;
    f.a1 /= a0;
    f.a2 /= a0;
    return f;
  }
  double operator()(double x) {
    const double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};
Biquad lowpass(double fc, double q = 0.7071) { return Biquad::make(fc, q, 0); }
Biquad highpass(double fc, double q = 0.7071) { return Biquad::make(fc, q, 1); }
Biquad bandpass(double fc, double q) { return Biquad::make(fc, q, 2); }

// State-variable filter whose centre may move every sample (gusts, surf).
struct Svf {
  double low = 0, band = 0;
  double operator()(double x, double cutoff, double damping) {
    const double f = 2.0 * dm::sin(dm::kPi * std::min(cutoff, kSampleRate / 7.0) / kSampleRate);
    low += f * band;
    const double high = x - low - damping * band;
    band += f * high;
    return band;
  }
};

// Pink-ish noise (three leaky stages over white).
struct PinkNoise {
  dm::Rng rng;
  double b0 = 0, b1 = 0, b2 = 0;
  explicit PinkNoise(uint64_t seed) : rng(seed) {}
  double operator()() {
    const double w = rng.signedUnit();
    b0 = 0.99765 * b0 + w * 0.0990460;
    b1 = 0.96300 * b1 + w * 0.2965164;
    b2 = 0.57000 * b2 + w * 1.0526913;
    return (b0 + b1 + b2 + w * 0.1848) * 0.25;
  }
};

// Brown noise: leaky integral of white.
struct BrownNoise {
  dm::Rng rng;
  double y = 0;
  explicit BrownNoise(uint64_t seed) : rng(seed) {}
  double operator()() {
    y = 0.996 * y + 0.06 * rng.signedUnit();
    return y;
  }
};

double attackDecay(double t, double attack, double decay) {
  if (t < 0.0) return 0.0;
  return (1.0 - dm::exp(-t / attack)) * dm::exp(-t / decay);
}

void scaleToPeak(Samples& s, double peak) {
  double m = 0.0;
  for (double v : s) m = std::max(m, v < 0 ? -v : v);
  if (m > 0.0) for (double& v : s) v *= peak / m;
}

// Ambient loops are levelled by loudness, with the peak kept below full scale.
void scaleToRms(Samples& s, double rms, double maxPeak) {
  double sum = 0.0, m = 0.0;
  for (double v : s) {
    sum += v * v;
    m = std::max(m, v < 0 ? -v : v);
  }
  if (sum <= 0.0) return;
  double k = rms / dm::sqrt(sum / s.size());
  if (m * k > maxPeak) k = maxPeak / m;
  for (double& v : s) v *= k;
}

// Short linear fades so one-shots start and end exactly at rest.
void fadeEdges(Samples& s, double inSeconds, double outSeconds) {
  const size_t fin = std::min(s.size(), samplesFor(inSeconds)), fout = std::min(s.size(), samplesFor(outSeconds));
  for (size_t i = 0; i < fin; ++i) s[i] *= static_cast<double>(i) / fin;
  for (size_t i = 0; i < fout; ++i) s[s.size() - 1 - i] *= static_cast<double>(i) / fout;
}

// [SECTION] Ambient loops
Samples makeWindSource(size_t n, double loopSeconds) {
  dm::Rng white(11);
  PinkNoise pink(12);
  Svf body, whistle;
  Biquad rumbleFilter = lowpass(180.0);
  Samples x(n);
  for (size_t i = 0; i < n; ++i) {
    const double p = static_cast<double>(i) * kDt / loopSeconds;  // gusts repeat with the loop
    const double gust = 0.55 + 0.25 * dm::sin(dm::kTwoPi * p + 0.3) + 0.12 * dm::sin(dm::kTwoPi * 3.0 * p + 1.1) +
                        0.08 * dm::sin(dm::kTwoPi * 7.0 * p + 2.0);
    const double w = white.signedUnit();
    const double a = body(w, 250.0 + 700.0 * gust, 0.7);
    const double b = whistle(w, 650.0 + 900.0 * gust, 0.12) * 0.22 * gust * gust;
    const double rumble = rumbleFilter(pink()) * (0.5 + 0.5 * gust) * 2.5;
    x[i] = gust * (a + b) + rumble;
  }
  return x;
}

Samples makeSailsSource(size_t n) {
  // Canvas luffing: bursts of rapid flaps, a few hard snaps as the sail fills, a constant rustle.
  dm::Rng rng(21);
  PinkNoise pink(22);
  Biquad rustleFilter = bandpass(450.0, 0.7);
  Samples excitation(n, 0.0), thump(n, 0.0);
  struct Flutter {
    double start, duration, rate, level;
  };
  const Flutter flutters[] = {{0.25, 0.55, 11.0, 0.8}, {1.35, 0.40, 13.0, 0.6}, {2.25, 0.65, 9.5, 1.0},
                              {3.35, 0.35, 12.0, 0.55}, {4.05, 0.45, 10.5, 0.7}};
  for (const Flutter& f : flutters) {
    for (double t = 0.0; t < f.duration; t += 1.0 / f.rate) {
      const double level = f.level * dm::sin(dm::kPi * t / f.duration) * rng.uniform(0.6, 1.0);
      const size_t start = samplesFor(f.start + t + rng.uniform(0.0, 0.01));
      for (size_t k = 0; k < samplesFor(0.08) && start + k < n; ++k) {
        const double tt = k * kDt;
        excitation[start + k] += level * attackDecay(tt, 0.0015, 0.016) * rng.signedUnit();
        thump[start + k] += level * 0.8 * attackDecay(tt, 0.002, 0.03) * dm::sin(dm::kTwoPi * 95.0 * tt);
      }
    }
  }
  const double snaps[] = {0.95, 2.95, 4.6};
  for (double s : snaps) {
    const size_t start = samplesFor(s);
    for (size_t k = 0; k < samplesFor(0.25) && start + k < n; ++k) {
      const double tt = k * kDt;
      excitation[start + k] += 2.2 * attackDecay(tt, 0.001, 0.035) * rng.signedUnit();
      thump[start + k] += 1.6 * attackDecay(tt, 0.002, 0.06) * dm::sin(dm::kTwoPi * 70.0 * tt);
    }
  }
  Biquad cloth = bandpass(380.0, 1.1), crack = highpass(1800.0);
  Samples x(n);
  for (size_t i = 0; i < n; ++i) {
    x[i] = cloth(excitation[i]) * 2.0 + crack(excitation[i]) * 0.25 + thump[i] + rustleFilter(pink()) * 0.35;
  }
  return x;
}

Samples makeOceanSource(size_t n, double loopSeconds) {
  // Two swells per loop: each builds slowly, breaks, and washes back.
  dm::Rng white(31);
  BrownNoise brown(32);
  PinkNoise pink(33);
  Svf roarFilter;
  Biquad hissHigh = highpass(1800.0), hissLow = lowpass(7000.0), washFilter = bandpass(900.0, 0.8);
  const double crests[] = {1.9, 5.6};
  Samples x(n);
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) * kDt;
    double swell = 0.0, crash = 0.0, wash = 0.0;
    for (double c : crests) {
      // Distance to the crest on the loop's circle, so the envelopes repeat with the loop.
      double d = t - c;
      d -= loopSeconds * dm::floor(d / loopSeconds + 0.5);
      swell += d < 0.0 ? dm::exp(-(d * d) / (2.0 * 0.7 * 0.7)) : dm::exp(-d / 1.2);
      crash += d >= 0.0 ? attackDecay(d, 0.05, 0.9) : 0.0;
      wash += d >= 0.0 ? attackDecay(d - 0.6, 0.4, 1.1) : 0.0;
    }
    const double roar = roarFilter(brown(), 250.0 + 350.0 * swell, 0.9) * (0.2 + 0.8 * swell);
    const double hiss = hissLow(hissHigh(white.signedUnit())) * crash * 0.5;
    const double backwash = washFilter(pink()) * wash * 0.8;
    x[i] = roar * 3.0 + hiss + backwash;
  }
  return x;
}

// [SECTION] Duck calls
struct QuackVoice {
  double pitch;     // Hz at the call's start
  double formant1;  // Hz: nasal resonances
  double formant2;
  double formant3;
  double rasp;  // depth of the rough amplitude flutter
  uint64_t seed;
};

// One "waak": a buzzy harmonic source through nasal formants, pitch falling over the call.
void addQuack(Samples& out, double start, double duration, double pitchScale, const QuackVoice& v) {
  dm::Rng rng(v.seed + static_cast<uint64_t>(start * 1000.0));
  Biquad f1 = bandpass(v.formant1, 5.0), f2 = bandpass(v.formant2, 6.0), f3 = bandpass(v.formant3, 8.0);
  Biquad body = lowpass(5000.0);
  double phase = 0.0;
  const size_t first = samplesFor(start), count = samplesFor(duration + 0.08);
  for (size_t k = 0; k < count && first + k < out.size(); ++k) {
    const double t = k * kDt;
    const double f0 = v.pitch * pitchScale * (1.0 + 0.25 * dm::exp(-t / 0.02)) * (1.0 - 0.2 * t / duration);
    phase += f0 * kDt;
    phase -= dm::floor(phase);
    // Band-limited buzz: harmonics up to about 9 kHz, falling slowly so the call stays bright.
    double src = 0.0;
    const int harmonics = std::min(40, static_cast<int>(9000.0 / f0));
    for (int h = 1; h <= harmonics; ++h) src += dm::sin(dm::kTwoPi * phase * h) / dm::pow(h, 0.8);
    src *= 1.0 + v.rasp * dm::sin(dm::kTwoPi * 37.0 * t) + 0.15 * rng.signedUnit();
    double env = dm::smoothstep(0.0, 0.012, t);
    if (t > duration) env *= dm::exp(-(t - duration) / 0.018);
    const double voiced = f1(src) * 1.0 + f2(src) * 0.8 + f3(src) * 0.35 + body(src) * 0.06;
    out[first + k] += voiced * env;
  }
}

Samples makeQuackLoop(double loopSeconds, const QuackVoice& voice, const double (*calls)[3], size_t callCount) {
  Samples out(samplesFor(loopSeconds), 0.0);
  for (size_t c = 0; c < callCount; ++c) addQuack(out, calls[c][0], calls[c][1], calls[c][2], voice);
  scaleToPeak(out, 0.85);
  // The calls end well before the loop does: the end and the start are both silence.
  fadeEdges(out, 0.005, 0.005);
  return out;
}

// [SECTION] Cannon, explosion, splash
struct CannonVoice {
  double boomStart, boomEnd;  // Hz, the thump's falling pitch
  double boomDecay;           // s
  double rumbleDecay;         // s
  double rumbleCutoff;        // Hz
  double crack;               // level of the sharp report
  double echo1, echo2;        // s, reflections off the other ships and the shore
  uint64_t seed;
};

Samples makeCannon(const CannonVoice& v) {
  const size_t n = samplesFor(2.4);
  dm::Rng white(v.seed);
  BrownNoise brown(v.seed + 1);
  Biquad crackFilter = highpass(1500.0), blastFilter = bandpass(650.0, 0.7), rumbleFilter = lowpass(v.rumbleCutoff);
  Samples x(n);
  double phase = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const double t = i * kDt;
    const double f = v.boomEnd + (v.boomStart - v.boomEnd) * dm::exp(-t / 0.06);
    phase += f * kDt;
    const double boom = dm::sin(dm::kTwoPi * phase) * attackDecay(t, 0.0015, v.boomDecay);
    const double w = white.signedUnit();
    const double crack = crackFilter(w) * v.crack * attackDecay(t, 0.0003, 0.006);
    const double blast = blastFilter(w) * attackDecay(t, 0.001, 0.09) * 1.6;
    const double rumble = rumbleFilter(brown()) * attackDecay(t, 0.008, v.rumbleDecay) * 1.0;
    x[i] = dm::tanh(1.6 * (boom * 1.2 + crack + blast + rumble));
  }
  // Two soft reflections, duller than the shot.
  Biquad echoFilter = lowpass(900.0);
  const size_t d1 = samplesFor(v.echo1), d2 = samplesFor(v.echo2);
  Samples y(x);
  for (size_t i = 0; i < n; ++i) {
    double e = 0.0;
    if (i >= d1) e += 0.35 * x[i - d1];
    if (i >= d2) e += 0.2 * x[i - d2];
    y[i] += echoFilter(e);
  }
  fadeEdges(y, 0.0005, 0.3);
  scaleToPeak(y, 0.9);
  return y;
}

}  // namespace

Samples makeWind() {
  constexpr double kLoop = 6.0, kFade = 0.75;
  Samples s = crossfadeLoop(makeWindSource(samplesFor(kLoop + kFade), kLoop), samplesFor(kLoop), samplesFor(kFade));
  scaleToRms(s, 0.20, 0.9);
  return s;
}

Samples makeSails() {
  constexpr double kLoop = 4.5, kFade = 0.5;
  Samples s = crossfadeLoop(makeSailsSource(samplesFor(kLoop + kFade)), samplesFor(kLoop), samplesFor(kFade));
  scaleToPeak(s, 0.85);
  return s;
}

Samples makeOcean() {
  constexpr double kLoop = 7.5, kFade = 0.75;
  Samples s = crossfadeLoop(makeOceanSource(samplesFor(kLoop + kFade), kLoop), samplesFor(kLoop), samplesFor(kFade));
  scaleToRms(s, 0.22, 0.9);
  return s;
}

Samples makeQuack1() {
  // Three falling calls, then a pause: start s, length s, pitch factor.
  static const double calls[][3] = {{0.10, 0.19, 1.0}, {0.42, 0.17, 1.03}, {0.74, 0.23, 0.93}};
  return makeQuackLoop(3.0, {235.0, 950.0, 1850.0, 3000.0, 0.35, 41}, calls, 3);
}

Samples makeQuack2() {
  // A quicker, higher run of four with a different nasal colour.
  static const double calls[][3] = {{0.08, 0.13, 1.0}, {0.29, 0.12, 1.05}, {0.49, 0.13, 1.0}, {0.70, 0.18, 0.9}};
  return makeQuackLoop(3.6, {300.0, 1150.0, 2300.0, 3500.0, 0.45, 42}, calls, 4);
}

Samples makeCannon1() { return makeCannon({85.0, 42.0, 0.28, 0.70, 260.0, 1.0, 0.13, 0.31, 51}); }
Samples makeCannon2() { return makeCannon({70.0, 36.0, 0.35, 0.90, 200.0, 0.8, 0.17, 0.42, 52}); }
Samples makeCannon3() { return makeCannon({100.0, 48.0, 0.22, 0.55, 320.0, 1.3, 0.11, 0.26, 53}); }
Samples makeCannon4() { return makeCannon({78.0, 38.0, 0.30, 1.10, 230.0, 0.9, 0.21, 0.47, 54}); }

Samples makeExplosion() {
  // A heavy blast, then crackling debris and burning that thin out over two seconds.
  const size_t n = samplesFor(3.2);
  dm::Rng white(61), events(62);
  BrownNoise brown(63);
  Biquad rumbleFilter = lowpass(220.0), roarFilter = bandpass(500.0, 0.6), crackFilter = highpass(900.0);
  Samples crackle(n, 0.0);
  for (double t = 0.02; t < 2.8;) {
    const double rate = 160.0 * dm::exp(-t / 0.5) + 7.0;  // crackles per second
    t += -dm::log(1.0 - events.uniform()) / rate;
    const size_t start = samplesFor(t), len = samplesFor(events.uniform(0.001, 0.006));
    const double level = events.uniform(0.2, 1.0) * dm::exp(-t / 1.3);
    for (size_t k = 0; k < len && start + k < n; ++k) {
      crackle[start + k] += level * events.signedUnit() * dm::exp(-static_cast<double>(k) / len * 3.0);
    }
  }
  Samples x(n);
  double phase = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const double t = i * kDt;
    phase += (32.0 + 45.0 * dm::exp(-t / 0.1)) * kDt;
    const double boom = dm::sin(dm::kTwoPi * phase) * attackDecay(t, 0.002, 0.5);
    const double rumble = rumbleFilter(brown()) * attackDecay(t, 0.01, 1.0) * 1.5;
    const double roar = roarFilter(white.signedUnit()) * attackDecay(t, 0.004, 0.35) * 1.5;
    x[i] = dm::tanh(1.8 * (boom + rumble + roar + crackFilter(crackle[i]) * 1.2));
  }
  fadeEdges(x, 0.0005, 0.4);
  scaleToPeak(x, 0.9);
  return x;
}

Samples makeSplash() {
  // Plop of the ball entering, the sheet of water thrown up, then droplets falling back.
  const size_t n = samplesFor(1.5);
  dm::Rng white(71), drops(72);
  Biquad sprayFilter = bandpass(2600.0, 0.6), bodyFilter = bandpass(800.0, 0.7);
  Samples x(n, 0.0);
  double phase = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const double t = i * kDt;
    phase += (300.0 + 600.0 * dm::exp(-t / 0.012)) * kDt;
    const double plop = dm::sin(dm::kTwoPi * phase) * attackDecay(t, 0.001, 0.05) * 0.7;
    const double w = white.signedUnit();
    const double spray = sprayFilter(w) * attackDecay(t - 0.01, 0.008, 0.16) * 2.0;
    const double body = bodyFilter(w) * attackDecay(t, 0.006, 0.25) * 1.6;
    x[i] = plop + spray + body;
  }
  for (int d = 0; d < 45; ++d) {
    // Droplets: short rising chirps, more of them early.
    const double t0 = 0.06 + 1.1 * dm::pow(drops.uniform(), 1.8);
    const double f = drops.uniform(1200.0, 3600.0), level = drops.uniform(0.05, 0.25) * dm::exp(-t0 / 0.5);
    const size_t start = samplesFor(t0);
    double ph = 0.0;
    for (size_t k = 0; k < samplesFor(0.04) && start + k < n; ++k) {
      const double tt = k * kDt;
      ph += f * (1.0 + 8.0 * tt) * kDt;
      x[start + k] += level * dm::sin(dm::kTwoPi * ph) * attackDecay(tt, 0.0008, 0.010);
    }
  }
  fadeEdges(x, 0.0005, 0.25);
  scaleToPeak(x, 0.85);
  return x;
}

const std::vector<SoundDef>& soundTable() {
  static const std::vector<SoundDef> table = {
      {"wind.wav", makeWind, true},          {"sails.mp3", makeSails, true},
      {"ocean.wav", makeOcean, true},        {"quack1.mp3", makeQuack1, true},
      {"quack2.mp3", makeQuack2, true},      {"cannon1.wav", makeCannon1, false},
      {"cannon2.wav", makeCannon2, false},   {"cannon3.wav", makeCannon3, false},
      {"cannon4.wav", makeCannon4, false},   {"explosion.wav", makeExplosion, false},
      {"watersplash.wav", makeSplash, false},
  };
  return table;
}
