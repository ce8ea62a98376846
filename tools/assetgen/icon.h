// The program's icon for the desktop: a ship on the sea, square, at any size.
#pragma once
#include "ase_writer.h"
#include "image.h"
#include "preview.h"

// The frigate (schiff1.ase) seen on the sea, `size` by `size` pixels.
Image renderIcon(const Model& ship, const TextureSet& textures, int size);
