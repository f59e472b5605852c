// The demo game's file contents. They only need to look and compress like a
// small game's files of the time: 8-bit sounds at 11 and 22 kHz, 8-bit
// bitmaps, tile maps, German texts and tables.
#include "tools/demo_assets.h"

#include <string.h>

namespace {

void Put16(DemoBytes& out, unsigned v)
{
    out.push_back((unsigned char)v);
    out.push_back((unsigned char)(v >> 8));
}

void Put32(DemoBytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back((unsigned char)(v >> (8 * i)));
}

void Set32(DemoBytes& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = (unsigned char)(v >> (8 * i));
}

void PutText(DemoBytes& out, const char* text)
{
    out.insert(out.end(), text, text + strlen(text));
}

unsigned char Clamp8(int v)
{
    return (unsigned char)(v < 0 ? 0 : v > 255 ? 255 : v);
}

DemoBytes Wave(const DemoBytes& samples, unsigned rate)
{
    DemoBytes out;
    size_t n = samples.size();
    PutText(out, "RIFF");
    Put32(out, (uint32_t)(36 + n + (n & 1)));
    PutText(out, "WAVEfmt ");
    Put32(out, 16);
    Put16(out, 1);  // PCM
    Put16(out, 1);  // mono
    Put32(out, rate);
    Put32(out, rate);
    Put16(out, 1);
    Put16(out, 8);
    PutText(out, "data");
    Put32(out, (uint32_t)n);
    out.insert(out.end(), samples.begin(), samples.end());
    if (n & 1)
        out.push_back(0);
    return out;
}

// Sample rate 11,025: periods of the notes of two octaves, in samples.
const unsigned kNotePeriods[] = {84, 79, 75, 70, 67, 63, 59, 56, 53, 50, 47, 44,
                                 42, 40, 37, 35, 33, 31, 30, 28, 26, 25, 24, 22};

}  // namespace

uint64_t DemoRandom::Next()
{
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int DemoSine(unsigned phase)
{
    // Bhaskara's approximation over each half period, in integers.
    phase &= 0xFFFF;
    int64_t i = phase & 0x7FFF;
    int64_t u = i * (32768 - i);
    int64_t v = (16 * u * 32767) / (5 * (int64_t)32768 * 32768 - 4 * u);
    return phase & 0x8000 ? -(int)v : (int)v;
}

DemoBytes DemoSoundEffect(DemoSoundKind kind, unsigned samples, uint64_t seed)
{
    DemoRandom rnd(seed);
    DemoBytes pcm(samples);
    switch (kind) {
    case DemoSweep: {
        // A falling or rising triangle tone, its pitch and loudness moving
        // in steps of 256 samples, as a sound driver of the time did.
        int from = 12 + (int)rnd.Below(80), to = 12 + (int)rnd.Below(80);
        for (unsigned t = 0; t < samples; ++t) {
            unsigned block = t / 256, blocks = samples / 256 + 1;
            unsigned period = (unsigned)(from + (to - from) * (int)block / (int)blocks);
            int amp = 100 - (int)(90 * block / blocks);
            unsigned ph = t % period;
            int tri = (int)(4 * amp * ph / period);
            pcm[t] = Clamp8(128 + (tri < 2 * amp ? tri : 4 * amp - tri) - amp);
        }
        break;
    }
    case DemoBurst: {
        // Filtered noise that dies away: explosions, hits, shots.
        int y = 0, smooth = 40 + (int)rnd.Below(160);
        for (unsigned t = 0; t < samples; ++t) {
            int x = (int)rnd.Below(255) - 127;
            y += (x - y) * smooth / 256;
            int amp = (int)(256 * (uint64_t)(samples - t) / samples);
            pcm[t] = Clamp8(128 + y * amp / 256);
        }
        break;
    }
    case DemoChime: {
        // A few square-wave notes at steps of loudness.
        unsigned notes = 2 + rnd.Below(4), per = samples / notes + 1;
        unsigned period = kNotePeriods[rnd.Below(12)];
        for (unsigned t = 0; t < samples; ++t) {
            if (t % per == 0)
                period = kNotePeriods[rnd.Below(24)];
            unsigned inNote = t % per;
            int amp = 90 - (int)(70 * inNote / per) / 10 * 10;
            pcm[t] = Clamp8(128 + ((t % period) < period / 2 ? amp : -amp));
        }
        break;
    }
    case DemoEngine: {
        // A sawtooth whose pitch changes every few hundred samples.
        unsigned period = 30 + rnd.Below(60);
        for (unsigned t = 0; t < samples; ++t) {
            if (t % 700 == 0)
                period = 30 + rnd.Below(60);
            pcm[t] = Clamp8(128 - 60 + (int)(120 * (t % period) / period));
        }
        break;
    }
    }
    return Wave(pcm, 11025);
}

DemoBytes DemoMusic(unsigned seconds, uint64_t seed)
{
    // Sixteen-step patterns of a square bass, a lead an octave or two above
    // it (so the mix repeats with the bass) and a drum on every fourth step.
    DemoRandom rnd(seed);
    const unsigned rate = 22050, step = 2756;
    unsigned total = seconds * rate;
    DemoBytes pcm(total);
    int bassPattern[16], leadPattern[16];
    for (int i = 0; i < 16; ++i) {
        bassPattern[i] = (int)rnd.Below(12);
        leadPattern[i] = rnd.Below(4) ? (int)rnd.Below(3) + 1 : 0;
    }
    for (unsigned t = 0; t < total; ++t) {
        unsigned s = t / step, inStep = t % step;
        if (inStep == 0 && s % 32 == 31) {
            for (int i = 0; i < 16; ++i)
                if (rnd.Below(4) == 0)
                    bassPattern[i] = (int)rnd.Below(12);
        }
        unsigned bassPeriod = 2 * kNotePeriods[bassPattern[s % 16]];
        int mix = (t % bassPeriod) < bassPeriod / 2 ? 30 : -30;
        int lead = leadPattern[s % 16];
        if (lead) {
            unsigned leadPeriod = bassPeriod / (unsigned)(lead * 2);
            unsigned ph = t % leadPeriod;
            int tri = (int)(4 * 40 * ph / leadPeriod);
            mix += (tri < 80 ? tri : 160 - tri) - 40;
        }
        if (s % 4 == 0 && inStep < 1600) {
            int level = 45 - (int)(inStep / 400) * 10;
            mix += (inStep % 100) < 50 ? level : -level;
        }
        pcm[t] = Clamp8(128 + mix);
    }
    return Wave(pcm, rate);
}

namespace {

DemoBytes Bitmap(int width, int height, const DemoBytes& palette, const DemoBytes& pixels)
{
    int stride = (width + 3) & ~3;
    DemoBytes out;
    uint32_t offBits = 14 + 40 + 1024;
    PutText(out, "BM");
    Put32(out, offBits + (uint32_t)(stride * height));
    Put32(out, 0);
    Put32(out, offBits);
    Put32(out, 40);
    Put32(out, (uint32_t)width);
    Put32(out, (uint32_t)height);
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, (uint32_t)(stride * height));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 256);
    Put32(out, 0);
    out.insert(out.end(), palette.begin(), palette.end());
    for (int y = height - 1; y >= 0; --y) {
        const unsigned char* row = &pixels[(size_t)y * width];
        out.insert(out.end(), row, row + width);
        for (int pad = width; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

// 256 BGRA entries: eight ramps of 32 shades.
DemoBytes Palette256(DemoRandom& rnd)
{
    DemoBytes pal;
    for (int ramp = 0; ramp < 8; ++ramp) {
        int r = 40 + rnd.Range(0, 215), g = 40 + rnd.Range(0, 215), b = 40 + rnd.Range(0, 215);
        for (int i = 0; i < 32; ++i) {
            pal.push_back((unsigned char)(b * i / 31));
            pal.push_back((unsigned char)(g * i / 31));
            pal.push_back((unsigned char)(r * i / 31));
            pal.push_back(0);
        }
    }
    return pal;
}

const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

}  // namespace

DemoBytes DemoPicture(DemoPictureKind kind, int width, int height, uint64_t seed)
{
    DemoRandom rnd(seed);
    DemoBytes palette = Palette256(rnd);
    DemoBytes px((size_t)width * height, 0);
    switch (kind) {
    case DemoScreen: {
        // A dithered sky, hills, a few solid shapes and stars.
        int ramp = rnd.Range(0, 7) * 32;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int level = (y * 31 * 16 / height + kBayer[y & 3][x & 3]) / 16;
                px[(size_t)y * width + x] = (unsigned char)(ramp + (level > 31 ? 31 : level));
            }
        int hillRamp = rnd.Range(0, 7) * 32;
        int base = height * 2 / 3, wave = rnd.Range(20, 60);
        for (int x = 0; x < width; ++x) {
            int top = base + DemoSine((unsigned)(x * 65536 / (width / 2 + 1))) * wave / 32767;
            for (int y = top; y < height; ++y)
                px[(size_t)y * width + x] = (unsigned char)(hillRamp + 8 + ((x ^ y) & 7));
        }
        for (int shape = rnd.Range(4, 10); shape > 0; --shape) {
            int cx = rnd.Range(0, width - 1), cy = rnd.Range(0, height - 1), r = rnd.Range(8, 60);
            unsigned char color = (unsigned char)rnd.Below(256);
            for (int y = cy - r; y <= cy + r; ++y)
                for (int x = cx - r; x <= cx + r; ++x)
                    if (x >= 0 && y >= 0 && x < width && y < height &&
                        (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                        px[(size_t)y * width + x] = color;
        }
        for (int star = width * height / 400; star > 0; --star)
            px[rnd.Below((unsigned)(width * height / 2))] = (unsigned char)(ramp + 31);
        break;
    }
    case DemoBackdrop: {
        // A 32 x 32 tile repeated with a colour shift per tile.
        unsigned char tile[32][32];
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                tile[y][x] = (unsigned char)((x / 4 + y / 4) % 2 ? rnd.Below(8) : 8 + rnd.Below(8));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int shift = ((x / 32) * 7 + (y / 32) * 3) % 4 * 32;
                px[(size_t)y * width + x] = (unsigned char)(shift + tile[y & 31][x & 31]);
            }
        break;
    }
    case DemoTileSet: {
        // 32 x 32 tiles of a repeated 8 x 8 texture with a band and bevelled edges.
        for (int ty = 0; ty < height / 32; ++ty)
            for (int tx = 0; tx < width / 32; ++tx) {
                int ramp = rnd.Range(0, 7) * 32, rough = rnd.Range(1, 6);
                int texture[8][8];
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 8; ++x)
                        texture[y][x] = rnd.Range(-rough, rough);
                for (int y = 0; y < 32; ++y)
                    for (int x = 0; x < 32; ++x) {
                        int v = 16 + texture[y & 7][x & 7] + (y / 8 == 2 ? 4 : 0);
                        if (x == 0 || y == 0)
                            v = 28;
                        else if (x == 31 || y == 31)
                            v = 6;
                        px[(size_t)(ty * 32 + y) * width + tx * 32 + x] =
                            (unsigned char)(ramp + (v < 0 ? 0 : v > 31 ? 31 : v));
                    }
            }
        break;
    }
    case DemoSprite: {
        // A shaded ellipse with an outline on transparent colour 0.
        int ramp = rnd.Range(0, 7) * 32;
        int rx = width / 2 - rnd.Range(1, width / 6), ry = height / 2 - rnd.Range(1, height / 6);
        int cx = width / 2, cy = height / 2;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int dx = x - cx, dy = y - cy;
                int64_t d = (int64_t)dx * dx * ry * ry + (int64_t)dy * dy * rx * rx;
                int64_t edge = (int64_t)rx * rx * ry * ry;
                if (d <= edge) {
                    int shade = 31 - (int)(d * 24 / (edge + 1)) - (dx + dy > 0 ? 4 : 0);
                    if (d * 10 > edge * 9)
                        shade = 2;
                    px[(size_t)y * width + x] = (unsigned char)(ramp + (shade < 1 ? 1 : shade));
                }
            }
        for (int eye = 0; eye < 2; ++eye) {
            int ex = cx - rx / 3 + eye * (2 * rx / 3), ey = cy - ry / 3;
            for (int y = ey - 2; y <= ey + 2; ++y)
                for (int x = ex - 2; x <= ex + 2; ++x)
                    if (x >= 0 && y >= 0 && x < width && y < height)
                        px[(size_t)y * width + x] = 255;
        }
        break;
    }
    }
    return Bitmap(width, height, palette, px);
}

DemoBytes DemoLevel(int number, uint64_t seed)
{
    DemoRandom rnd(seed);
    const int width = 160, height = 48;
    DemoBytes out;
    PutText(out, "KRLV");
    Put16(out, 1);
    Put16(out, (unsigned)number);
    Put16(out, width);
    Put16(out, height);
    DemoBytes map((size_t)width * height, 0);
    int ground = height - 6;
    for (int x = 0; x < width; ++x) {
        if (rnd.Below(10) == 0)
            ground += rnd.Range(-1, 1);
        ground = ground < height - 12 ? height - 12 : ground > height - 3 ? height - 3 : ground;
        for (int y = ground; y < height; ++y)
            map[(size_t)y * width + x] = (unsigned char)(y == ground ? 1 : 2 + (rnd.Below(8) == 0));
    }
    for (int p = rnd.Range(8, 20); p > 0; --p) {
        int y = rnd.Range(6, height - 14), x0 = rnd.Range(0, width - 12), len = rnd.Range(3, 12);
        for (int x = x0; x < x0 + len; ++x)
            map[(size_t)y * width + x] = (unsigned char)(x == x0 ? 5 : x == x0 + len - 1 ? 7 : 6);
        if (rnd.Below(2))
            map[(size_t)(y - 1) * width + x0 + len / 2] = (unsigned char)(16 + rnd.Below(8));
    }
    out.insert(out.end(), map.begin(), map.end());
    unsigned objects = 20 + rnd.Below(60);
    Put16(out, objects);
    for (unsigned i = 0; i < objects; ++i) {
        Put16(out, rnd.Below(12));                   // kind
        Put16(out, rnd.Below(width * 16));           // x in pixels
        Put16(out, rnd.Below(height * 16));          // y in pixels
        Put16(out, rnd.Below(4) * 100);              // points
        Put32(out, (uint32_t)rnd.Below(1u << 16));   // behaviour flags
    }
    return out;
}

namespace {

const char* const kWords[] = {
    "der", "die", "das", "und", "ein", "eine", "nicht", "mit", "auf", "den", "im", "ist",
    "Kugel", "Rennen", "Bahn", "Spieler", "Runde", "Punkte", "schnell", "langsam", "Kurve",
    "Strecke", "Ziel", "Start", "springen", "rollen", "sammeln", "Sterne", "Tor", "Mannschaft",
    "gewinnt", "verliert", "Pokal", "Meister", "Gegner", "Zeit", "Sekunden", "Hindernis",
    "Br\xFC" "cke", "H\xFC" "gel", "Tunnel", "gro\xDF" "e", "kleine", "gr\xFC" "ne", "Welt",
    "f\xFC" "r", "\xFC" "ber", "unter", "zwischen", "w\xE4" "hrend", "nach", "vor", "Ebene",
    "Taste", "dr\xFC" "cken", "Maus", "Tastatur", "Joystick", "Men\xFC", "Optionen",
    "Lautst\xE4" "rke", "Musik", "Ger\xE4" "usche", "Bildschirm", "Farben", "Spielstand",
    "speichern", "laden", "Level", "Bonus", "Extraleben", "Schl\xFC" "ssel", "T\xFC" "r",
    "\xF6" "ffnen", "sehr", "immer", "wieder", "dann", "wenn", "aber", "auch", "noch", "so",
    "kann", "muss", "wird", "haben", "sein", "alle", "jede", "jeder", "viele", "wenige"};
const unsigned kWordCount = sizeof(kWords) / sizeof(kWords[0]);

}  // namespace

std::string DemoProse(size_t bytes, uint64_t seed)
{
    DemoRandom rnd(seed);
    std::string out, line;
    while (out.size() + line.size() < bytes) {
        unsigned words = 5 + rnd.Below(10);
        for (unsigned w = 0; w < words; ++w) {
            std::string word = kWords[rnd.Below(kWordCount)];
            if (w == 0 && word[0] >= 'a' && word[0] <= 'z')
                word[0] = (char)(word[0] - 32);
            if (w + 1 == words)
                word += rnd.Below(6) == 0 ? "!" : ".";
            else if (rnd.Below(9) == 0)
                word += ",";
            if (line.size() + word.size() + 1 > 72) {
                out += line + "\r\n";
                line.clear();
            }
            line += line.empty() ? word : " " + word;
        }
        if (rnd.Below(5) == 0) {
            out += line + "\r\n\r\n";
            line.clear();
        }
    }
    out += line + "\r\n";
    return out;
}

DemoBytes DemoFont(int height, uint64_t seed)
{
    DemoRandom rnd(seed);
    DemoBytes out;
    PutText(out, "KFNT");
    Put16(out, 8);
    Put16(out, (unsigned)height);
    for (int glyph = 0; glyph < 256; ++glyph) {
        unsigned strokes = glyph < 33 ? 0 : 2 + rnd.Below(3);
        DemoBytes rows((size_t)height, 0);
        for (unsigned s = 0; s < strokes; ++s) {
            int y0 = rnd.Range(1, height - 3), y1 = rnd.Range(y0, height - 2);
            unsigned char bits = (unsigned char)(rnd.Below(2) ? 0x03 << rnd.Range(0, 6) : 0x7E);
            for (int y = y0; y <= y1; ++y)
                rows[(size_t)y] |= bits;
        }
        out.insert(out.end(), rows.begin(), rows.end());
    }
    return out;
}

DemoBytes DemoPalette(uint64_t seed)
{
    DemoRandom rnd(seed);
    DemoBytes pal = Palette256(rnd), out;
    for (size_t i = 0; i < pal.size(); i += 4) {
        out.push_back((unsigned char)(pal[i + 2] >> 2));  // VGA's 6-bit levels, RGB
        out.push_back((unsigned char)(pal[i + 1] >> 2));
        out.push_back((unsigned char)(pal[i] >> 2));
    }
    return out;
}

DemoBytes DemoTable(unsigned records, unsigned recordSize, uint64_t seed)
{
    DemoRandom rnd(seed);
    DemoBytes out;
    PutText(out, "KTAB");
    Put16(out, records);
    Put16(out, recordSize);
    static const char* const syllables[] = {"ka", "ro", "vel", "tin", "mar", "du", "sen", "lo"};
    for (unsigned r = 0; r < records; ++r) {
        DemoBytes rec(recordSize, 0);
        std::string name;
        for (unsigned s = 2 + rnd.Below(3); s > 0; --s)
            name += syllables[rnd.Below(8)];
        name[0] = (char)(name[0] - 32);
        memcpy(rec.data(), name.data(), name.size() < 12 ? name.size() : 12);
        for (unsigned i = 16; i + 1 < recordSize; i += 2) {
            unsigned v = rnd.Below(4) ? rnd.Below(100) : 0;
            rec[i] = (unsigned char)v;
        }
        rec[12] = (unsigned char)r;
        rec[13] = (unsigned char)(r >> 8);
        out.insert(out.end(), rec.begin(), rec.end());
    }
    return out;
}

DemoBytes DemoProgram(const char* caption, const char* text, size_t codeBytes, uint64_t seed)
{
    // A PE32 GUI program for Windows 4.0 with two sections: .text holds the
    // call of MessageBoxA and ExitProcess, .rdata the imports and the texts.
    const uint32_t imageBase = 0x400000, textRva = 0x1000;
    const uint32_t fileAlign = 0x200, sectionAlign = 0x1000;
    DemoRandom rnd(seed);

    DemoBytes code;
    DemoBytes rdata(0x90, 0);
    size_t captionAt = rdata.size();
    rdata.insert(rdata.end(), caption, caption + strlen(caption) + 1);
    size_t textAt = rdata.size();
    rdata.insert(rdata.end(), text, text + strlen(text) + 1);

    uint32_t codeSize = (uint32_t)(32 + codeBytes);
    uint32_t textRaw = (codeSize + fileAlign - 1) & ~(fileAlign - 1);
    uint32_t rdataRva = textRva + ((codeSize + sectionAlign - 1) & ~(sectionAlign - 1));
    uint32_t rdataRaw = ((uint32_t)rdata.size() + fileAlign - 1) & ~(fileAlign - 1);
    uint32_t imageSize = rdataRva + (((uint32_t)rdata.size() + sectionAlign - 1) & ~(sectionAlign - 1));

    // .rdata: the two import address tables, the descriptors, the look-up
    // tables, the hint/name entries and the library names.
    const uint32_t iatKernel = 0x00, iatUser = 0x08, descriptors = 0x10, iltKernel = 0x4C,
                   iltUser = 0x54, nameExit = 0x5C, nameBox = 0x6A, dllKernel = 0x78,
                   dllUser = 0x85;
    auto set32 = [&rdata](size_t at, uint32_t v) { Set32(rdata, at, v); };
    set32(iatKernel, rdataRva + nameExit);
    set32(iatUser, rdataRva + nameBox);
    set32(iltKernel, rdataRva + nameExit);
    set32(iltUser, rdataRva + nameBox);
    set32(descriptors + 0, rdataRva + iltKernel);
    set32(descriptors + 12, rdataRva + dllKernel);
    set32(descriptors + 16, rdataRva + iatKernel);
    set32(descriptors + 20, rdataRva + iltUser);
    set32(descriptors + 32, rdataRva + dllUser);
    set32(descriptors + 36, rdataRva + iatUser);
    memcpy(&rdata[nameExit + 2], "ExitProcess", 12);
    memcpy(&rdata[nameBox + 2], "MessageBoxA", 12);
    memcpy(&rdata[dllKernel], "KERNEL32.dll", 13);
    memcpy(&rdata[dllUser], "USER32.dll", 11);

    // push 0; push caption; push text; push 0; call [MessageBoxA];
    // push 0; call [ExitProcess]
    const unsigned char program[] = {0x6A, 0x00, 0x68, 0, 0, 0, 0, 0x68, 0, 0, 0, 0, 0x6A, 0x00,
                                     0xFF, 0x15, 0, 0, 0, 0, 0x6A, 0x00, 0xFF, 0x15, 0, 0, 0, 0};
    code.assign(program, program + sizeof(program));
    Set32(code, 3, imageBase + rdataRva + (uint32_t)captionAt);
    Set32(code, 8, imageBase + rdataRva + (uint32_t)textAt);
    Set32(code, 16, imageBase + rdataRva + iatUser);
    Set32(code, 24, imageBase + rdataRva + iatKernel);
    while (code.size() < 32)
        code.push_back(0xCC);
    // Filler in the shape of compiled functions: frame set-up, moves, calls
    // and returns, so the file compresses like a program.
    while (code.size() < codeSize) {
        static const unsigned char prologue[] = {0x55, 0x8B, 0xEC, 0x83, 0xEC};
        code.insert(code.end(), prologue, prologue + sizeof(prologue));
        code.push_back((unsigned char)(4 * rnd.Range(1, 16)));
        for (unsigned op = 2 + rnd.Below(12); op > 0; --op) {
            switch (rnd.Below(5)) {
            case 0: code.push_back(0x8B); code.push_back(0x45); code.push_back((unsigned char)(4 * rnd.Range(2, 6))); break;
            case 1: code.push_back(0x89); code.push_back(0x45); code.push_back((unsigned char)(0x100 - 4 * rnd.Range(1, 8))); break;
            case 2: code.push_back(0x50); code.push_back(0xE8); Put32(code, (uint32_t)rnd.Below(1u << 16) - 0x8000); break;
            case 3: code.push_back(0x83); code.push_back(0xC4); code.push_back((unsigned char)(4 * rnd.Range(1, 4))); break;
            default: code.push_back(0x85); code.push_back(0xC0); code.push_back(0x74); code.push_back((unsigned char)rnd.Range(2, 40)); break;
            }
        }
        static const unsigned char epilogue[] = {0x8B, 0xE5, 0x5D, 0xC3, 0xCC, 0xCC, 0xCC};
        code.insert(code.end(), epilogue, epilogue + 4 + rnd.Below(4));
    }
    code.resize(codeSize);

    DemoBytes out(fileAlign, 0);
    // DOS header and stub.
    out[0] = 'M';
    out[1] = 'Z';
    const unsigned char dosFields[] = {0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xB8, 0};
    memcpy(&out[2], dosFields, sizeof(dosFields));
    out[0x18] = 0x40;
    Set32(out, 0x3C, 0x80);
    const unsigned char stub[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09, 0xCD,
                                  0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
    memcpy(&out[0x40], stub, sizeof(stub));
    memcpy(&out[0x4E], "This program cannot be run in DOS mode.\r\r\n$", 43);
    // PE signature and file header.
    size_t pe = 0x80;
    memcpy(&out[pe], "PE\0\0", 4);
    out[pe + 4] = 0x4C;
    out[pe + 5] = 0x01;  // i386
    out[pe + 6] = 2;     // sections
    Set32(out, pe + 8, 0x33C2A100);  // a time stamp of 1997
    out[pe + 20] = 0xE0;             // optional header size
    out[pe + 22] = 0x0F;
    out[pe + 23] = 0x01;  // relocations stripped, executable, 32-bit
    // Optional header.
    size_t opt = pe + 24;
    out[opt] = 0x0B;
    out[opt + 1] = 0x01;
    out[opt + 2] = 5;  // linker 5.0
    Set32(out, opt + 4, textRaw);
    Set32(out, opt + 8, rdataRaw);
    Set32(out, opt + 16, textRva);  // entry point
    Set32(out, opt + 20, textRva);
    Set32(out, opt + 24, rdataRva);
    Set32(out, opt + 28, imageBase);
    Set32(out, opt + 32, sectionAlign);
    Set32(out, opt + 36, fileAlign);
    out[opt + 40] = 4;  // operating system 4.0
    out[opt + 48] = 4;  // subsystem 4.0
    Set32(out, opt + 56, imageSize);
    Set32(out, opt + 60, fileAlign);  // headers
    out[opt + 68] = 2;                // GUI
    Set32(out, opt + 72, 0x100000);
    Set32(out, opt + 76, 0x1000);
    Set32(out, opt + 80, 0x100000);
    Set32(out, opt + 84, 0x1000);
    Set32(out, opt + 92, 16);
    Set32(out, opt + 96 + 8, rdataRva + descriptors);  // import directory
    Set32(out, opt + 96 + 12, 60);
    Set32(out, opt + 96 + 96, rdataRva + iatKernel);  // import address tables
    Set32(out, opt + 96 + 100, 16);
    // Section headers.
    size_t sec = opt + 0xE0;
    memcpy(&out[sec], ".text", 5);
    Set32(out, sec + 8, codeSize);
    Set32(out, sec + 12, textRva);
    Set32(out, sec + 16, textRaw);
    Set32(out, sec + 20, fileAlign);
    Set32(out, sec + 36, 0x60000020);
    sec += 40;
    memcpy(&out[sec], ".rdata", 6);
    Set32(out, sec + 8, (uint32_t)rdata.size());
    Set32(out, sec + 12, rdataRva);
    Set32(out, sec + 16, rdataRaw);
    Set32(out, sec + 20, fileAlign + textRaw);
    Set32(out, sec + 36, 0x40000040);

    out.insert(out.end(), code.begin(), code.end());
    out.resize(fileAlign + textRaw, 0);
    out.insert(out.end(), rdata.begin(), rdata.end());
    out.resize(fileAlign + textRaw + rdataRaw, 0);
    return out;
}

DemoBytes DemoFilm(size_t size, size_t noiseBytes, uint64_t seed, size_t* headerSize)
{
    // RIFF 'AVI ' with one 160 x 100 8-bit video stream; frames of static
    // noise, then black ones, and a JUNK chunk that fills the exact size.
    const uint32_t frameBytes = 160 * 100;
    DemoBytes out;
    PutText(out, "RIFF");
    Put32(out, (uint32_t)(size - 8));
    PutText(out, "AVI LIST");
    size_t hdrlSize = out.size();
    Put32(out, 0);
    PutText(out, "hdrlavih");
    Put32(out, 56);
    Put32(out, 66666);  // microseconds a frame: 15 frames a second
    Put32(out, frameBytes * 15);
    Put32(out, 0);
    Put32(out, 0x10);  // has an index flag off, interleaved
    Put32(out, (uint32_t)(size / (frameBytes + 8)));
    Put32(out, 0);
    Put32(out, 1);
    Put32(out, frameBytes);
    Put32(out, 160);
    Put32(out, 100);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    PutText(out, "LIST");
    size_t strlSize = out.size();
    Put32(out, 0);
    PutText(out, "strlstrh");
    Put32(out, 56);
    PutText(out, "vidsDIB ");
    for (int i = 0; i < 3; ++i)
        Put32(out, 0);
    Put32(out, 1);
    Put32(out, 15);
    Put32(out, 0);
    Put32(out, (uint32_t)(size / (frameBytes + 8)));
    Put32(out, frameBytes);
    Put32(out, 0xFFFFFFFF);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 160 | (100u << 16));
    PutText(out, "strf");
    Put32(out, 40 + 1024);
    Put32(out, 40);
    Put32(out, 160);
    Put32(out, 100);
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, frameBytes);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    for (int i = 0; i < 256; ++i)
        Put32(out, (uint32_t)(i | (i << 8) | (i << 16)));  // grey ramp
    Set32(out, strlSize, (uint32_t)(out.size() - strlSize - 4));
    Set32(out, hdrlSize, (uint32_t)(out.size() - hdrlSize - 4));
    PutText(out, "LIST");
    size_t moviSize = out.size();
    Put32(out, 0);
    PutText(out, "movi");
    *headerSize = out.size();

    DemoRandom rnd(seed);
    size_t frameByte = 0;
    uint64_t bits = 0;
    int bitsLeft = 0;
    while (out.size() + 8 + frameBytes + 8 <= size) {
        PutText(out, "00db");
        Put32(out, frameBytes);
        for (uint32_t i = 0; i < frameBytes; ++i, ++frameByte) {
            if (bitsLeft == 0) {
                bits = rnd.Next();
                bitsLeft = 8;
            }
            unsigned char noise = (unsigned char)bits;
            bits >>= 8;
            --bitsLeft;
            out.push_back(frameByte < noiseBytes ? noise : 0);
        }
    }
    Set32(out, moviSize, (uint32_t)(out.size() - moviSize - 4));
    if (out.size() + 8 <= size) {
        PutText(out, "JUNK");
        Put32(out, (uint32_t)(size - out.size() - 4));
    }
    out.resize(size, 0);
    return out;
}
