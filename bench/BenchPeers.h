// The per-pixel-alpha composite of the benchmark art done by the libraries a
// program would otherwise use. Linked into the benchmark only.
#pragma once

#include <benchmark/benchmark.h>

// SDL_BlitSurface, blending, from ARGB8888 onto an RGB565 surface.
void PeerSdl2Alpha(benchmark::State& state);
// pixman_image_composite32 OVER from a8r8g8b8 onto r5g6b5.
void PeerPixmanOver(benchmark::State& state);
