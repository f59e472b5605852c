// Figures for the SZDD tools, printed and never asserted: compressed sizes
// and compression speed against mscompress on three corpora (the demo
// payload, German text, mixed game assets), and our reader's throughput in
// the setup's 10,000-byte reads against libmspack expanding in memory.
#include "tools/demo_assets.h"
#include "tools/reference_expand.h"
#include "tools/szdd.h"
#include "tools/szdd_reader.h"
#include "tests/file_bytes.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

typedef std::vector<unsigned char> Bytes;

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void Append(Bytes& out, const Bytes& part)
{
    out.insert(out.end(), part.begin(), part.end());
}

Bytes TextCorpus()
{
    std::string prose = DemoProse(4000000, 9001);
    return Bytes(prose.begin(), prose.end());
}

Bytes MixedCorpus()
{
    Bytes out;
    for (int i = 0; i < 4; ++i)
        Append(out, DemoPicture(DemoScreen, 640, 480, 9100 + i));
    for (int i = 0; i < 30; ++i)
        Append(out, DemoPicture(i % 2 ? DemoTileSet : DemoSprite, 128, 128, 9200 + i));
    for (int i = 0; i < 40; ++i)
        Append(out, DemoSoundEffect((DemoSoundKind)(i % 4), 4000 + 500 * i, 9300 + i));
    Append(out, DemoMusic(20, 9400));
    for (int i = 0; i < 20; ++i)
        Append(out, DemoLevel(i, 9500 + i));
    std::string prose = DemoProse(300000, 9600);
    Append(out, Bytes(prose.begin(), prose.end()));
    Append(out, DemoProgram("Bench", "Bench", 400000, 9700));
    return out;
}

struct MemorySource {
    const Bytes* data;
    size_t at;
};

size_t MemoryRead(void* context, unsigned char* buffer, size_t count)
{
    MemorySource* m = (MemorySource*)context;
    size_t n = m->data->size() - m->at < count ? m->data->size() - m->at : count;
    memcpy(buffer, m->data->data() + m->at, n);
    m->at += n;
    return n;
}

int MemoryRewind(void* context)
{
    ((MemorySource*)context)->at = 0;
    return 1;
}

// Our reader as the setup uses the platform's: 10,000-byte reads.
size_t ReadAllInChunks(const Bytes& packed)
{
    MemorySource memory = {&packed, 0};
    SzddSource source = {&memory, MemoryRead, MemoryRewind};
    static SzddReader reader;
    SzddOpen(&reader, &source, packed.size());
    static unsigned char chunk[10000];
    size_t total = 0, got;
    while ((got = SzddRead(&reader, chunk, sizeof(chunk))) > 0)
        total += got;
    SzddClose(&reader);
    return total;
}

// mscompress on a copy of the corpus; its output and its run time.
bool RunMscompress(const std::string& dir, const Bytes& data, Bytes& packed, double* seconds)
{
    std::string input = dir + "/corpus.bin";
    if (!WriteWhole(input, data))
        return false;
    double start = Now();
    pid_t child = fork();
    if (child == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0)
            dup2(devnull, 1);
        execlp("mscompress", "mscompress", input.c_str(), (char*)0);
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return false;
    *seconds = Now() - start;
    bool ok = ReadWhole(input + "_", packed);
    unlink(input.c_str());
    unlink((input + "_").c_str());
    return ok;
}

double MB(size_t bytes, double seconds)
{
    return seconds > 0 ? bytes / 1e6 / seconds : 0;
}

void Corpus(const char* name, const Bytes& data, const std::string& dir)
{
    // Best of three for our timings; mscompress runs once (it is slow).
    Bytes ours;
    double oursSeconds = 1e9;
    for (int i = 0; i < 3; ++i) {
        double start = Now();
        SzddCompress(data.data(), data.size(), ours);
        double t = Now() - start;
        if (t < oursSeconds)
            oursSeconds = t;
    }
    Bytes theirs;
    double theirSeconds = 0;
    bool haveTheirs = RunMscompress(dir, data, theirs, &theirSeconds);

    printf("figure: SZDD %s (%zu bytes): ours %zu bytes", name, data.size(), ours.size());
    if (haveTheirs)
        printf(", mscompress %zu bytes, ours %.2f %% smaller\n", theirs.size(),
               100.0 * ((double)theirs.size() - (double)ours.size()) / (double)theirs.size());
    else
        printf(", mscompress not available\n");
    printf("figure: SZDD %s compression speed: ours %.1f MB/s", name, MB(data.size(), oursSeconds));
    if (haveTheirs)
        printf(", mscompress %.1f MB/s (whole program)\n", MB(data.size(), theirSeconds));
    else
        printf("\n");

    double readSeconds = 1e9, mspackSeconds = 1e9;
    Bytes out;
    out.reserve(data.size());
    bool mspackOk = true;
    for (int i = 0; i < 3; ++i) {
        double start = Now();
        size_t n = ReadAllInChunks(ours);
        double t = Now() - start;
        if (n != data.size())
            printf("figure: SZDD %s: our reader gave %zu bytes, not %zu\n", name, n, data.size());
        if (t < readSeconds)
            readSeconds = t;
        start = Now();
        mspackOk = MspackExpand(ours.data(), ours.size(), out) && out.size() == data.size();
        t = Now() - start;
        if (t < mspackSeconds)
            mspackSeconds = t;
    }
    printf("figure: SZDD %s expansion: ours %.0f MB/s in 10,000-byte reads, libmspack %.0f MB/s in memory%s (%.1fx)\n",
           name, MB(data.size(), readSeconds), MB(data.size(), mspackSeconds),
           mspackOk ? "" : " (FAILED)", mspackSeconds / readSeconds);
}

}  // namespace

int main(int argc, char** argv)
{
    char dirTemplate[] = "/tmp/kovra_bench_XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        perror("mkdtemp");
        return 1;
    }
    std::string dir = dirTemplate;
    Bytes payload;
    if (argc > 1 && ReadWhole(argv[1], payload))
        Corpus("demo payload", payload, dir);
    else
        printf("figure: SZDD demo payload: no archive given (the host build makes it)\n");
    Corpus("text", TextCorpus(), dir);
    Corpus("mixed assets", MixedCorpus(), dir);
    rmdir(dir.c_str());
    return 0;
}
