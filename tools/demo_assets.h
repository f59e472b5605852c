// Generators for the demo game's files: sounds, pictures, levels, texts and
// two small placeholder programs. Everything is integer arithmetic over our
// own random generator, so the same build gives the same bytes anywhere.
#ifndef KOVRA_TOOLS_DEMO_ASSETS_H
#define KOVRA_TOOLS_DEMO_ASSETS_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

typedef std::vector<unsigned char> DemoBytes;

class DemoRandom {
public:
    explicit DemoRandom(uint64_t seed) : state_(seed ^ 0x6A09E667F3BCC908ull) {}
    uint64_t Next();
    // Uniform in 0 .. n - 1 (n > 0).
    unsigned Below(unsigned n) { return (unsigned)(((Next() >> 32) * n) >> 32); }
    int Range(int low, int high) { return low + (int)Below((unsigned)(high - low + 1)); }

private:
    uint64_t state_;
};

// One period of a sine in 65,536 steps, as -32767 .. 32767.
int DemoSine(unsigned phase);

// Kinds of sound effect.
enum DemoSoundKind { DemoSweep, DemoBurst, DemoChime, DemoEngine };
DemoBytes DemoSoundEffect(DemoSoundKind kind, unsigned samples, uint64_t seed);
// A music loop of about seconds x 22,050 samples.
DemoBytes DemoMusic(unsigned seconds, uint64_t seed);

// 8-bit Windows bitmaps.
enum DemoPictureKind { DemoScreen, DemoBackdrop, DemoTileSet, DemoSprite };
DemoBytes DemoPicture(DemoPictureKind kind, int width, int height, uint64_t seed);

DemoBytes DemoLevel(int number, uint64_t seed);
// German-looking prose of about bytes characters, CR LF line ends, CP1252.
std::string DemoProse(size_t bytes, uint64_t seed);
DemoBytes DemoFont(int height, uint64_t seed);
DemoBytes DemoPalette(uint64_t seed);
DemoBytes DemoTable(unsigned records, unsigned recordSize, uint64_t seed);

// A small valid Win32 GUI program that shows caption and text in a message
// box and exits, followed by codeBytes of code-like filler that never runs.
DemoBytes DemoProgram(const char* caption, const char* text, size_t codeBytes, uint64_t seed);

// The intro film: a fixed header, then frame chunks whose picture bytes are
// static noise for the first noiseBytes of the frame data and black after
// it, filled up to exactly size bytes. headerSize tells where the part that
// depends on noiseBytes starts.
DemoBytes DemoFilm(size_t size, size_t noiseBytes, uint64_t seed, size_t* headerSize);

#endif
