#pragma once
// FluidSynth reports problems through a process-wide log. We keep its errors
// and warnings out of the terminal and fold them into our own error texts.

#include <string>

namespace vlm {

// Routes FluidSynth's log into a buffer; safe to call any number of times.
// Loads the library first: throws MediaError when it cannot be loaded.
void CaptureFluidLog();

// The errors and warnings logged since the last call, joined by "; ".
std::string TakeFluidLog();

}  // namespace vlm
