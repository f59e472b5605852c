// libmspack gets a small in-memory file system: its "file names" are
// pointers to our memory files.
#include "tools/reference_expand.h"

#include <mspack.h>

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct MemoryFile {
    const unsigned char* data;
    size_t size;
    size_t pos;
    std::vector<unsigned char>* out;
};

mspack_file* MemOpen(mspack_system*, const char* name, int mode)
{
    MemoryFile* f = (MemoryFile*)name;
    if ((mode == MSPACK_SYS_OPEN_READ) != (f->out == 0))
        return 0;
    f->pos = 0;
    return (mspack_file*)f;
}

void MemClose(mspack_file*) {}

int MemRead(mspack_file* file, void* buffer, int bytes)
{
    MemoryFile* f = (MemoryFile*)file;
    if (bytes < 0)
        return -1;
    size_t n = f->size - f->pos < (size_t)bytes ? f->size - f->pos : (size_t)bytes;
    memcpy(buffer, f->data + f->pos, n);
    f->pos += n;
    return (int)n;
}

int MemWrite(mspack_file* file, void* buffer, int bytes)
{
    MemoryFile* f = (MemoryFile*)file;
    if (bytes < 0 || !f->out)
        return -1;
    f->out->insert(f->out->end(), (unsigned char*)buffer, (unsigned char*)buffer + bytes);
    return bytes;
}

int MemSeek(mspack_file* file, off_t offset, int mode)
{
    MemoryFile* f = (MemoryFile*)file;
    off_t base = mode == MSPACK_SYS_SEEK_START ? 0 : mode == MSPACK_SYS_SEEK_CUR ? (off_t)f->pos
                                                                                 : (off_t)f->size;
    off_t to = base + offset;
    if (to < 0 || (size_t)to > f->size)
        return -1;
    f->pos = (size_t)to;
    return 0;
}

off_t MemTell(mspack_file* file)
{
    return (off_t)((MemoryFile*)file)->pos;
}

void MemMessage(mspack_file*, const char*, ...) {}

void* MemAlloc(mspack_system*, size_t bytes)
{
    return malloc(bytes);
}

void MemFree(void* p)
{
    free(p);
}

void MemCopy(void* src, void* dst, size_t bytes)
{
    memcpy(dst, src, bytes);
}

mspack_system gMemorySystem = {MemOpen, MemClose, MemRead,  MemWrite, MemSeek, MemTell,
                               MemMessage, MemAlloc, MemFree, MemCopy, 0};

}  // namespace

int MspackExpand(const unsigned char* data, size_t size, std::vector<unsigned char>& out)
{
    out.clear();
    msszdd_decompressor* szdd = mspack_create_szdd_decompressor(&gMemorySystem);
    if (!szdd)
        return 0;
    MemoryFile in = {data, size, 0, 0};
    MemoryFile result = {0, 0, 0, &out};
    int err = szdd->decompress(szdd, (const char*)&in, (const char*)&result);
    mspack_destroy_szdd_decompressor(szdd);
    return err == MSPACK_ERR_OK;
}

int RunFiltered(const std::vector<std::string>& argv, const std::string& inputPath,
                std::vector<unsigned char>& out)
{
    out.clear();
    int input = open(inputPath.c_str(), O_RDONLY);
    if (input < 0)
        return 0;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        close(input);
        return 0;
    }
    pid_t child = fork();
    if (child < 0) {
        close(input);
        close(pipeFds[0]);
        close(pipeFds[1]);
        return 0;
    }
    if (child == 0) {
        dup2(input, 0);
        dup2(pipeFds[1], 1);
        close(input);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back((char*)a.c_str());
        args.push_back(0);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(input);
    close(pipeFds[1]);
    unsigned char chunk[65536];
    ssize_t got;
    while ((got = read(pipeFds[0], chunk, sizeof(chunk))) > 0)
        out.insert(out.end(), chunk, chunk + got);
    close(pipeFds[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return 0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

int MsexpandFile(const std::string& path, std::vector<unsigned char>& out)
{
    return RunFiltered(std::vector<std::string>{"msexpand"}, path, out);
}
