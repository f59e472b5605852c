#include "tools/szdd_cases.h"
#include "tools/demo_assets.h"

namespace {

std::vector<unsigned char> Text(const std::string& s)
{
    return std::vector<unsigned char>(s.begin(), s.end());
}

std::vector<unsigned char> Repeat(const std::vector<unsigned char>& unit, size_t times)
{
    std::vector<unsigned char> out;
    for (size_t i = 0; i < times; ++i)
        out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

std::vector<unsigned char> Noise(size_t n, uint64_t seed)
{
    DemoRandom rnd(seed);
    std::vector<unsigned char> out(n);
    for (unsigned char& c : out)
        c = (unsigned char)rnd.Next();
    return out;
}

}  // namespace

std::vector<SzddCase> SzddEdgeCases()
{
    std::vector<SzddCase> cases;
    auto add = [&cases](const char* name, const std::vector<unsigned char>& data) {
        cases.push_back(SzddCase{name, data});
    };
    add("empty", {});
    add("one_byte", Text("A"));
    add("one_space", Text(" "));
    add("two_bytes", Text("ab"));
    add("three_spaces", Text("   "));
    add("spaces_18", std::vector<unsigned char>(18, ' '));
    add("spaces_19", std::vector<unsigned char>(19, ' '));
    add("spaces_4096", std::vector<unsigned char>(4096, ' '));
    add("spaces_4113", std::vector<unsigned char>(4113, ' '));
    // The fill and the data meet inside one match.
    add("fill_into_data", Text("  a  a   ab   ab   ab   abc    abc"));
    add("literals_8", Text("ABCDEFGH"));
    add("literals_16", Text("ABCDEFGHIJKLMNOP"));
    add("overlap_ab", Repeat(Text("ab"), 3000));
    add("run_100000", std::vector<unsigned char>(100000, 'x'));
    add("run_zero_5000", std::vector<unsigned char>(5000, 0));
    {
        // A block repeated at exactly the window's reach, and at one more.
        std::vector<unsigned char> block = Noise(4096, 1);
        add("distance_4096", Repeat(block, 3));
        std::vector<unsigned char> wide = Noise(4097, 2);
        add("distance_4097", Repeat(wide, 2));
    }
    {
        // Repeats of 17, 18 and 19 bytes separated by noise.
        std::vector<unsigned char> out;
        for (int len = 16; len <= 20; ++len) {
            std::vector<unsigned char> unit = Noise((size_t)len, 10 + len);
            std::vector<unsigned char> gap = Noise(7, 30 + len);
            for (int k = 0; k < 4; ++k) {
                out.insert(out.end(), unit.begin(), unit.end());
                out.insert(out.end(), gap.begin(), gap.end());
            }
        }
        add("lengths_16_to_20", out);
    }
    {
        std::vector<unsigned char> ramp;
        for (int i = 0; i < 256; ++i)
            ramp.push_back((unsigned char)i);
        add("all_bytes", Repeat(ramp, 40));
    }
    add("noise_10000", Noise(10000, 3));
    {
        // Few distinct short strings: many candidates, few long matches.
        std::vector<unsigned char> out = Noise(8000, 5);
        for (unsigned char& c : out)
            c = "ab"[c & 1];
        add("two_letters", out);
    }
    {
        std::string prose = DemoProse(30000, 4);
        add("prose", Text(prose));
    }
    {
        // Long enough that the ring wraps many times, mixed content.
        std::vector<unsigned char> out;
        for (int i = 0; i < 40; ++i) {
            std::vector<unsigned char> part = i % 3 == 0 ? Noise(700, 100 + i)
                                              : i % 3 == 1 ? std::vector<unsigned char>(900, (unsigned char)i)
                                                           : Text(DemoProse(1200, 200 + i));
            out.insert(out.end(), part.begin(), part.end());
        }
        add("mixed_wrap", out);
    }
    return cases;
}
