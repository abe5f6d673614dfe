#pragma once
// The picture library's one entry point, opened at run time by the
// command-line programs (cli/roll_picture.cpp) so that a program that draws
// no picture never loads the toolkit. Plain C types only.

#include <cstddef>

extern "C" {

// Receives the PNG file's bytes; context is the caller's.
typedef void (*VlmPngSink)(void* context, const char* bytes, std::size_t size);

// A note-on of the file, in file order, and where it came from in the
// generated phrase's pattern: an offset in code points, -1 outside it.
typedef struct VlmPatternNote {
  int track;
  int tick;
  int note;
  int patternOffset;
} VlmPatternNote;

// A generated phrase's steps, for the marks the piano roll draws on the
// notes each step made: the rhythm, the number of steps, the pattern as
// compiled (UTF-8) and every note-on of the file.
typedef struct VlmPhraseSteps {
  const char* rhythm;
  int steps;
  const char* pattern;
  const VlmPatternNote* notes;
  std::size_t noteCount;
} VlmPhraseSteps;

// Draws the piano roll of a MIDI file's bytes as a PNG picture, on Qt's
// offscreen platform (no display needed). weights: the twelve pitch-class
// weights C..B (0..100) to shade rows by, or null. steps: the phrase's steps
// to mark, or null. Returns 0 and calls sink once on success; else nonzero
// with the reason in error (always terminated, cut to errorSize).
int vlm_roll_png(const char* midiBytes, std::size_t midiSize, const int* weights, const VlmPhraseSteps* steps,
                 VlmPngSink sink, void* context, char* error, std::size_t errorSize);

#define VLM_ROLL_PNG_SYMBOL "vlm_roll_png"
}
