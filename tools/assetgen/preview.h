// Inspection pictures: a small software renderer that lights and textures the models the way the
// demo's fixed pipeline does (per-vertex light, texture added to the lit colour), and views of the sky.
#pragma once
#include <map>
#include <string>

#include "ase_writer.h"
#include "audio.h"
#include "image.h"

using TextureSet = std::map<std::string, Image>;  // by file name under data/textures

// The model seen from `eye` toward `target` (model units), on a sea at z = 0 under a plain sky.
Image renderModelPreview(const Model& model, const TextureSet& textures, Vec3 eye, Vec3 target, int width,
                         int height);

// The sky as the dome's eight strips show it, seen from near the dome's centre looking along `direction`.
Image renderDomePreview(const Image& dome, Vec3 direction, double fovDegrees, int width, int height);

// A sound's waveform (top strip) above its spectrogram (0 to 11 kHz, log magnitude), time to the right.
Image renderSoundPreview(const Samples& samples, int width, int height);
