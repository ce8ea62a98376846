// Deterministic math: range reduction plus fixed polynomials, SplitMix64, lattice value noise.
#include "det_math.h"

#include <cmath>  // Required for: std::sqrt, std::floor, std::nearbyint, std::ldexp, std::frexp (all exact)

namespace dm {

namespace {

// pi/2 split so that n * kPio2Hi is exact for |n| < 2^20 (Cody-Waite reduction).
constexpr double kPio2Hi = 1.57079632673412561417e+00;
constexpr double kPio2Lo = 6.07710050650619224932e-11;
constexpr double kLn2Hi = 6.93147180369123816490e-01;
constexpr double kLn2Lo = 1.90821492927058770002e-10;

// Taylor polynomials on |r| <= pi/4; the truncation error is below 1e-16.
double sinKernel(double r) {
  const double r2 = r * r;
  // Horner form of r - r^3/3! + r^5/5! - ... - r^15/15!
  double s = -1.0 / 1307674368000.0;
  s = 1.0 / 6227020800.0 + r2 * s;
  s = -1.0 / 39916800.0 + r2 * s;
  s = 1.0 / 362880.0 + r2 * s;
  s = -1.0 / 5040.0 + r2 * s;
  s = 1.0 / 120.0 + r2 * s;
  s = -1.0 / 6.0 + r2 * s;
  return r + r * r2 * s;
}

double cosKernel(double r) {
  const double r2 = r * r;
  double c = 1.0 / 20922789888000.0;  // 1/16!
  c = -1.0 / 87178291200.0 + r2 * c;
  c = 1.0 / 479001600.0 + r2 * c;
  c = -1.0 / 3628800.0 + r2 * c;
  c = 1.0 / 40320.0 + r2 * c;
  c = -1.0 / 720.0 + r2 * c;
  c = 1.0 / 24.0 + r2 * c;
  c = -0.5 + r2 * c;
  return 1.0 + r2 * c;
}

// Quadrant q (0..3) and remainder r with x = q * pi/2 + r.
double reduce(double x, int& quadrant) {
  const double n = std::nearbyint(x * (2.0 / kPi));
  quadrant = static_cast<int>(static_cast<int64_t>(n) & 3);
  return (x - n * kPio2Hi) - n * kPio2Lo;
}

double fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

double latticeValue(int64_t x, int64_t y, uint64_t seed) {
  // 53 high bits to [0, 1), then to [-1, 1).
  return static_cast<double>(hash3(x, y, seed) >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

int64_t wrap(int64_t v, int period) {
  const int64_t m = v % period;
  return m < 0 ? m + period : m;
}

}  // namespace

double sin(double x) {
  int q = 0;
  const double r = reduce(x, q);
  switch (q) {
    case 0: return sinKernel(r);
    case 1: return cosKernel(r);
    case 2: return -sinKernel(r);
    default: return -cosKernel(r);
  }
}

double cos(double x) {
  int q = 0;
  const double r = reduce(x, q);
  switch (q) {
    case 0: return cosKernel(r);
    case 1: return -sinKernel(r);
    case 2: return -cosKernel(r);
    default: return sinKernel(r);
  }
}

double exp(double x) {
  if (x < -740.0) return 0.0;
  if (x > 709.0) return 8.2e307;
  const double k = std::nearbyint(x * 1.44269504088896338700);
  const double r = (x - k * kLn2Hi) - k * kLn2Lo;  // |r| <= 0.35
  // Taylor to r^14: error below 1e-17 on |r| <= 0.35.
  double p = 1.0 / 87178291200.0;
  const double inverseFactorials[] = {1.0 / 6227020800.0, 1.0 / 479001600.0, 1.0 / 39916800.0,
                                      1.0 / 3628800.0,    1.0 / 362880.0,    1.0 / 40320.0,
                                      1.0 / 5040.0,       1.0 / 720.0,       1.0 / 120.0,
                                      1.0 / 24.0,         1.0 / 6.0,         0.5,
                                      1.0,                1.0};
  for (double c : inverseFactorials) p = c + r * p;
  return std::ldexp(p, static_cast<int>(k));
}

double log(double x) {
  if (!(x > 0.0)) return -1e300;
  int e = 0;
  double m = std::frexp(x, &e);  // m in [0.5, 1)
  if (m < 0.70710678118654752440) {
    m *= 2.0;
    --e;
  }
  // log(m) = 2 atanh(s), s = (m - 1) / (m + 1), |s| <= 0.172.
  const double s = (m - 1.0) / (m + 1.0);
  const double s2 = s * s;
  double p = 1.0 / 23.0;
  for (int k = 21; k >= 1; k -= 2) p = 1.0 / k + s2 * p;
  const double logM = 2.0 * s * p;
  return e * kLn2Hi + (e * kLn2Lo + logM);
}

double pow(double base, double e) {
  if (!(base > 0.0)) return 0.0;
  return exp(e * log(base));
}

double tanh(double x) {
  if (x > 20.0) return 1.0;
  if (x < -20.0) return -1.0;
  const double e2 = exp(2.0 * x);
  return (e2 - 1.0) / (e2 + 1.0);
}

double sqrt(double x) { return x > 0.0 ? std::sqrt(x) : 0.0; }
double floor(double x) { return std::floor(x); }
double clamp(double x, double lo, double hi) { return x < lo ? lo : (x > hi ? hi : x); }
double mix(double a, double b, double t) { return a + (b - a) * t; }

double smoothstep(double e0, double e1, double x) {
  const double t = clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

uint64_t Rng::next() {
  state += 0x9E3779B97F4A7C15ull;
  uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Rng::uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
double Rng::uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
double Rng::signedUnit() { return uniform() * 2.0 - 1.0; }
int Rng::range(int lo, int hiInclusive) {
  return lo + static_cast<int>(next() % static_cast<uint64_t>(hiInclusive - lo + 1));
}

uint64_t hash3(int64_t x, int64_t y, uint64_t seed) {
  uint64_t h = seed * 0x9E3779B97F4A7C15ull;
  h ^= static_cast<uint64_t>(x) * 0xC2B2AE3D27D4EB4Full;
  h = (h ^ (h >> 29)) * 0xBF58476D1CE4E5B9ull;
  h ^= static_cast<uint64_t>(y) * 0x165667B19E3779F9ull;
  h = (h ^ (h >> 32)) * 0x94D049BB133111EBull;
  return h ^ (h >> 29);
}

double valueNoise(double x, double y, uint64_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int64_t ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy);
  const double tx = fade(x - fx), ty = fade(y - fy);
  const double a = latticeValue(ix, iy, seed), b = latticeValue(ix + 1, iy, seed);
  const double c = latticeValue(ix, iy + 1, seed), d = latticeValue(ix + 1, iy + 1, seed);
  return mix(mix(a, b, tx), mix(c, d, tx), ty);
}

double periodicValueNoise(double x, double y, int period, uint64_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int64_t ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy);
  const double tx = fade(x - fx), ty = fade(y - fy);
  const int64_t x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
  const int64_t y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
  const double a = latticeValue(x0, y0, seed), b = latticeValue(x1, y0, seed);
  const double c = latticeValue(x0, y1, seed), d = latticeValue(x1, y1, seed);
  return mix(mix(a, b, tx), mix(c, d, tx), ty);
}

double fbm(double x, double y, int octaves, uint64_t seed) {
  double sum = 0.0, amplitude = 0.5, norm = 0.0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * valueNoise(x, y, seed + static_cast<uint64_t>(o) * 7919u);
    norm += amplitude;
    x = x * 2.0 + 17.3;
    y = y * 2.0 - 9.1;
    amplitude *= 0.5;
  }
  return sum / norm;
}

double periodicFbm(double x, double y, int period, int octaves, uint64_t seed) {
  double sum = 0.0, amplitude = 0.5, norm = 0.0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * periodicValueNoise(x, y, period, seed + static_cast<uint64_t>(o) * 7919u);
    norm += amplitude;
    x *= 2.0;
    y *= 2.0;
    period *= 2;
    amplitude *= 0.5;
  }
  return sum / norm;
}

}  // namespace dm
