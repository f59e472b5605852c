// Archive readers a test opened, closed when the test ends whatever it
// asserted, so that a failing test neither leaks nor keeps its file open.
#ifndef KOVRA_TESTS_RESFILE_READERS_H
#define KOVRA_TESTS_RESFILE_READERS_H

#include <string>
#include <vector>

#include "engine/resfile.h"

class ResFileReaders {
public:
    ~ResFileReaders() { CloseAll(); }
    ResFileReader* Open(const std::string& path)
    {
        ResFileReader* reader = ResFileOpen(path.c_str());
        if (reader)
            readers_.push_back(reader);
        return reader;
    }
    void CloseAll()
    {
        for (ResFileReader* reader : readers_)
            ResFileClose(reader);
        readers_.clear();
    }

private:
    std::vector<ResFileReader*> readers_;
};

#endif
