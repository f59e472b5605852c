// The log's record check on arbitrary records: a record that it lets
// through acts only inside its folder, as Windows resolves the path (see
// win_path.h): NC and SD below the target folder, CI the product's own
// Start-menu folder, CL a ".lnk" directly in it, RK one key name, PG the
// product's group, KF a kept file and the file it made way for, both below
// the target folder; WC and IN, which the setup never writes, nothing.
// The first input byte picks the code, the rest is the argument.
#include "integration/install_log.h"
#include "undo/record_check.h"
#include "support/product_names.h"
#include "tests/fuzz/win_path.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

static const char Target[] = "C:\\Spiele\\Kovra Rendo Cup\\";
static const char Programs[] = "C:\\WINDOWS\\Start Menu\\Programs";

// 1 when path resolves to folder + exactly one part more; that part in *last.
static int DirectlyIn(const std::string& path, const std::string& folder, std::string* last)
{
    std::vector<std::string> p, f;
    if (!ResolvesBelow(path, folder) || !ResolvePath(path, &p) || !ResolvePath(folder, &f))
        return 0;
    *last = p.back();
    return p.size() == f.size() + 1;
}

static int EndsWith(const std::string& text, const char* ending)
{
    size_t n = strlen(ending);
    return text.size() >= n && text.compare(text.size() - n, n, ending) == 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const char* const codes[] = {"NC", "SD", "CI", "CL", "PG", "RK", "WC", "IN", "KF"};
    std::string argument((const char*)data + 1, size - 1);
    argument = argument.substr(0, argument.find('\0'));
    if (argument.size() >= LogLineCapacity)
        return 0;
    const char* code = codes[data[0] % 9];
    RecordScope scope = {Target, Programs};
    if (!RecordInScope(&scope, code, argument.c_str()))
        return 0;

    std::string productFolder = std::string(Programs) + "\\" + PRODUCT_NAME;
    std::string last;
    int ok = 1;
    switch (data[0] % 9) {
    case 0:  // NC
        ok = ResolvesBelow(Target + argument, Target);
        break;
    case 1:  // SD
        ok = ResolvesBelow(argument, Target);
        break;
    case 2: {  // CI
        std::vector<std::string> a, f;
        ok = ResolvePath(argument, &a) && ResolvePath(productFolder, &f) && a == f;
        break;
    }
    case 3:  // CL
        ok = DirectlyIn(argument, productFolder, &last) && EndsWith(last, ".lnk");
        break;
    case 4:  // PG
        ok = argument == PRODUCT_NAME;
        break;
    case 5:  // RK
        ok = !argument.empty() && argument.find('\\') == std::string::npos;
        break;
    case 8: {  // KF
        char kept[LogLineCapacity];
        ok = KeptRecordPath(argument.c_str(), kept, sizeof kept) &&
             ResolvesBelow(Target + std::string(KeptRecordName(argument.c_str())), Target) &&
             ResolvesBelow(Target + std::string(kept), Target);
        break;
    }
    default:  // WC, IN
        ok = 0;
        break;
    }
    if (!ok)
        abort();
    return 0;
}
