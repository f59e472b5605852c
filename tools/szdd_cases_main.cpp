// kovra_szdd_cases: writes the edge cases, each as NAME.bin and its
// compressed NAME.sz_, and a list of the names, for the LZ32 test under Wine.
#include "tools/szdd.h"
#include "tools/szdd_cases.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

namespace {

bool WriteFile(const std::string& path, const std::vector<unsigned char>& data)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = data.empty() || fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fputs("usage: kovra_szdd_cases FOLDER\n", stderr);
        return 2;
    }
    std::string folder = argv[1], list;
    for (const SzddCase& c : SzddEdgeCases()) {
        std::vector<unsigned char> packed;
        SzddCompress(c.data.data(), c.data.size(), packed);
        if (!WriteFile(folder + "/" + c.name + ".bin", c.data) ||
            !WriteFile(folder + "/" + c.name + ".sz_", packed)) {
            fprintf(stderr, "kovra_szdd_cases: cannot write below '%s': %s\n", folder.c_str(),
                    strerror(errno));
            return 1;
        }
        list += c.name + "\n";
    }
    std::vector<unsigned char> names(list.begin(), list.end());
    if (!WriteFile(folder + "/cases.txt", names)) {
        fprintf(stderr, "kovra_szdd_cases: cannot write the list: %s\n", strerror(errno));
        return 1;
    }
    return 0;
}
