// The demo game's tree and the tuning of its sizes.
//
// The film is the last entry of the archive, so the compressor's parse of
// everything before it never changes while the film is tuned: the parse is
// run once up to just before the film's frames and each trial re-runs only
// the film. A noise byte in place of a black one costs about one compressed
// byte, so a few interpolation steps find the share that gives the exact
// size; when the size falls between two neighbouring shares, another noise
// seed is tried.
#include "tools/demo_game.h"

#include "support/product_names.h"
#include "tools/demo_assets.h"
#include "tools/szdd.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

namespace {

const char kFilmName[] = "video\\intro.avi";

void AddFile(std::vector<ArchiveEntry>& entries, const std::string& name, const DemoBytes& data)
{
    ArchiveEntry e;
    e.name = name;
    e.data = data;
    e.size = data.size();
    entries.push_back(e);
}

void AddText(std::vector<ArchiveEntry>& entries, const std::string& name, const std::string& text)
{
    AddFile(entries, name, DemoBytes(text.begin(), text.end()));
}

std::string Numbered(const char* prefix, int n, int digits, const char* suffix)
{
    char buf[64];
    snprintf(buf, sizeof(buf), "%s%0*d%s", prefix, digits, n, suffix);
    return buf;
}

const char kIni[] =
    "[Kovra Rendo Cup]\r\nVersion=1.0\r\nSprache=Deutsch\r\n\r\n[Grafik]\r\nAufloesung=640x480\r\n"
    "Farben=256\r\nDetails=2\r\n\r\n[Sound]\r\nMusik=1\r\nEffekte=1\r\nLautstaerke=80\r\n"
    "Abtastrate=22050\r\n\r\n[Steuerung]\r\nSpieler1=Tastatur\r\nSpieler2=Joystick\r\n";

}  // namespace

void DemoGameFiles(std::vector<ArchiveEntry>& entries, const DemoPrograms* programs)
{
    entries.clear();
    if (programs && !programs->uninstaller.empty())
        AddFile(entries, UNINSTALL_PROGRAM, programs->uninstaller);
    else
        AddFile(entries, UNINSTALL_PROGRAM,
                DemoProgram(PRODUCT_NAME,
                            "Dies ist ein Platzhalter f\xFC" "r das Deinstallationsprogramm.", 22000, 11));
    if (programs && !programs->game.empty())
        AddFile(entries, GAME_PROGRAM, programs->game);
    else
        AddFile(entries, GAME_PROGRAM,
                DemoProgram(PRODUCT_NAME, "Dies ist ein Platzhalter f\xFC" "r das Spiel.", 260000, 12));
    AddText(entries, "liesmich.txt", DemoProse(9000, 13));
    AddText(entries, "lizenz.txt", DemoProse(5000, 14));
    AddText(entries, "kovra.ini", kIni);
    AddFile(entries, "kovra.cfg", DemoTable(4, 32, 15));
    AddFile(entries, "highscor.dat", DemoTable(20, 24, 16));
    AddText(entries, "version.txt", PRODUCT_NAME " 1.0\r\n");

    static const int fontHeights[] = {8, 14, 16, 24};
    for (int i = 0; i < 4; ++i)
        AddFile(entries, Numbered("data\\font", fontHeights[i], 2, ".fnt"), DemoFont(fontHeights[i], 100 + i));
    for (int i = 1; i <= 9; ++i)
        AddFile(entries, Numbered("data\\pal", i, 2, ".pal"), DemoPalette(110 + i));
    static const char* const tables[] = {"units", "items", "tracks", "teams", "cups", "sounds", "texts"};
    for (int i = 0; i < 7; ++i)
        AddFile(entries, std::string("data\\") + tables[i] + ".dat", DemoTable(40 + 30 * i, 48, 120 + i));
    for (int i = 1; i <= 5; ++i)
        AddFile(entries, Numbered("data\\ai", i, 2, ".dat"), DemoTable(300, 32, 130 + i));

    static const char* const screens[] = {"title", "menu", "cup"};
    for (int i = 0; i < 3; ++i)
        AddFile(entries, std::string("gfx\\") + screens[i] + ".bmp", DemoPicture(DemoScreen, 640, 480, 200 + i));
    for (int i = 1; i <= 12; ++i)
        AddFile(entries, Numbered("gfx\\back", i, 2, ".bmp"), DemoPicture(DemoBackdrop, 320, 200, 210 + i));
    for (int i = 1; i <= 40; ++i)
        AddFile(entries, Numbered("gfx\\tiles", i, 2, ".bmp"), DemoPicture(DemoTileSet, 128, 128, 230 + i));
    for (int i = 1; i <= 40; ++i)
        AddFile(entries, Numbered("gfx\\spr", i, 2, ".bmp"), DemoPicture(DemoSprite, 64, 64, 280 + i));

    for (int i = 1; i <= 32; ++i) {
        AddFile(entries, Numbered("levels\\level", i, 2, ".lvl"), DemoLevel(i, 400 + i));
        AddText(entries, Numbered("levels\\level", i, 2, ".txt"), DemoProse(1500 + 100 * i, 450 + i));
    }

    for (int i = 1; i <= 12; ++i)
        AddFile(entries, Numbered("music\\track", i, 2, ".wav"), DemoMusic(20 + i, 500 + i));

    for (int i = 1; i <= 80; ++i) {
        DemoRandom rnd(600 + i);
        unsigned samples = 2000 + rnd.Below(26000);
        AddFile(entries, Numbered("sfx\\fx", i, 3, ".wav"),
                DemoSoundEffect((DemoSoundKind)(i % 4), samples, 700 + i));
    }

    for (int i = 1; i <= 10; ++i)
        AddText(entries, Numbered("text\\hilfe", i, 2, ".txt"), DemoProse(3000 + 900 * i, 800 + i));
    for (int i = 1; i <= 8; ++i)
        AddText(entries, Numbered("text\\story", i, 2, ".txt"), DemoProse(12000 + 2000 * i, 820 + i));
    for (int i = 1; i <= 6; ++i)
        AddText(entries, Numbered("text\\dialog", i, 2, ".txt"), DemoProse(6000, 840 + i));
    AddText(entries, "text\\credits.txt", DemoProse(4000, 850));
    AddText(entries, "text\\tipps.txt", DemoProse(7000, 851));

    ArchiveEntry film;
    film.name = kFilmName;
    film.size = 0;
    entries.push_back(film);
    ArchiveSortEntries(entries);
}

int DemoGameBuild(std::vector<ArchiveEntry>& entries, std::string& error, DemoGameReport* report,
                  const DemoPrograms* programs)
{
    DemoGameFiles(entries, programs);
    if (entries.size() != DemoEntryCount || entries.back().name != kFilmName) {
        error = "the demo game has " + std::to_string(entries.size()) +
                " entries or its film is not the last";
        return 0;
    }
    uint64_t others = ArchiveSize(entries);
    if (others + 65536 > DemoArchiveSize) {
        error = "the demo game's files take " + std::to_string(others) +
                " bytes of the archive and leave the film too little room";
        return 0;
    }
    size_t filmSize = (size_t)(DemoArchiveSize - others);
    size_t headerSize = 0;
    const size_t frameData = (filmSize / (160 * 100 + 8)) * (160 * 100);

    ArchiveEntry& film = entries.back();
    film.data = DemoFilm(filmSize, 0, 1, &headerSize);
    film.size = filmSize;
    std::vector<unsigned char> archive;
    if (!ArchiveWriteMemory(entries, archive, error))
        return 0;
    size_t filmAt = (size_t)ArchiveDataOffset(entries, entries.size() - 1) + headerSize;

    SzddParser parser;
    parser.Begin(archive.data(), archive.size());
    parser.Advance(filmAt - SzddMaxMatch);
    SzddParser::Mark* mark = parser.Save();

    unsigned evaluations = 0;
    unsigned seed = 1;
    DemoBytes bytes;
    auto compressedSize = [&](uint64_t noise) {
        bytes = DemoFilm(filmSize, (size_t)noise, seed, &headerSize);
        parser.Restore(mark, filmAt, bytes.data() + headerSize, bytes.size() - headerSize);
        parser.Advance(archive.size());
        ++evaluations;
        return parser.CompressedSize();
    };

    const uint64_t target = DemoCompressedSize;
    bool found = false;
    uint64_t noise = 0;
    for (; seed <= 16 && !found; ++seed) {
        uint64_t lo = 0, hi = frameData;
        uint64_t cLo = compressedSize(lo), cHi = compressedSize(hi);
        if (cLo > target || cHi < target) {
            error = "the demo game compresses to between " + std::to_string(cLo) + " and " +
                    std::to_string(cHi) + " bytes, which misses " + std::to_string(target);
            SzddParser::FreeMark(mark);
            return 0;
        }
        if (cLo == target || cHi == target) {
            noise = cLo == target ? lo : hi;
            found = true;
            break;
        }
        for (unsigned round = 0; hi - lo > 1; ++round) {
            // Interpolate; every third step halves, so a kink cannot stall it.
            uint64_t k = round % 3 == 2 ? lo + (hi - lo) / 2
                                        : lo + (target - cLo) * (hi - lo) / (cHi - cLo);
            if (k <= lo)
                k = lo + 1;
            if (k >= hi)
                k = hi - 1;
            uint64_t c = compressedSize(k);
            if (c == target) {
                noise = k;
                found = true;
                break;
            }
            if (c < target) {
                lo = k;
                cLo = c;
            } else {
                hi = k;
                cHi = c;
            }
        }
        if (found)
            break;
    }
    SzddParser::FreeMark(mark);
    if (!found) {
        error = "no share of noise in the film gives exactly " + std::to_string(target) + " bytes";
        return 0;
    }

    film.data = DemoFilm(filmSize, (size_t)noise, seed, &headerSize);
    if (report) {
        report->archiveSize = ArchiveSize(entries);
        report->compressedSize = target;
        report->noiseBytes = noise;
        report->seed = seed;
        report->evaluations = evaluations;
    }
    return 1;
}

int DemoGameWriteTree(const std::vector<ArchiveEntry>& entries, const std::string& folder,
                      std::string& error)
{
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot create folder '" + folder + "': " + strerror(errno);
        return 0;
    }
    for (const ArchiveEntry& e : entries) {
        std::string path = folder;
        size_t start = 0;
        for (;;) {
            size_t slash = e.name.find('\\', start);
            path += "/" + e.name.substr(start, slash == std::string::npos ? std::string::npos
                                                                          : slash - start);
            if (slash == std::string::npos)
                break;
            if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
                error = "cannot create folder '" + path + "': " + strerror(errno);
                return 0;
            }
            start = slash + 1;
        }
        FILE* f = fopen(path.c_str(), "wb");
        if (!f) {
            error = "cannot create '" + path + "': " + strerror(errno);
            return 0;
        }
        bool ok = e.data.empty() || fwrite(e.data.data(), 1, e.data.size(), f) == e.data.size();
        if (fclose(f) != 0)
            ok = false;
        if (!ok) {
            error = "cannot write '" + path + "': " + strerror(errno);
            return 0;
        }
    }
    return 1;
}
