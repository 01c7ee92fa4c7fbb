// The draws done by the libraries a program would otherwise use, on the same
// art at the same places. Linked into the benchmark only.
#pragma once

#include "bench/BenchArt.h"

#include <benchmark/benchmark.h>

// SDL_BlitSurface, blending, from ARGB8888 onto an RGB565 surface.
void PeerSdl2Alpha(benchmark::State& state, ArtName name);
// The same with SDL_RLEACCEL: transparent runs skipped, opaque runs copied.
void PeerSdl2Rle(benchmark::State& state, ArtName name);
// SDL_BlitSurface from an RGB565 surface with SDL_SetColorKey: the keyed draw.
void PeerSdl2Keyed(benchmark::State& state, ArtName name);
// pixman_image_composite32 OVER from a8r8g8b8 onto r5g6b5.
void PeerPixmanOver(benchmark::State& state, ArtName name);

// The bunnymark's frame by each: the same bunnies at the same places with the
// same moves, the surface filled white, then every bunny blended on
// (SDL_BlitSurface of ARGB8888 onto RGB565 after SDL_FillRect; pixman OVER of
// a8r8g8b8 onto r5g6b5 after pixman_fill).
void PeerSdl2Bunnymark(benchmark::State& state, int count);
void PeerPixmanBunnymark(benchmark::State& state, int count);
