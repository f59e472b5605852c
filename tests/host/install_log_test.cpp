// Reading the install log back: lines of at most 499 characters, code and
// argument, the ID levels and the IN fields. The writer's side runs under
// Wine (tests/wine/install_log_test.cpp), where "wt" makes CR LF.
#include "integration/install_log.h"
#include "support/stream.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// Every line LogReadLine gives for the bytes of a file, read as they are
// (the bytes stand for what a text stream hands on).
std::vector<std::string> ReadAll(const std::string& bytes)
{
    char path[] = "/tmp/install_log_XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ((ssize_t)bytes.size(), write(fd, bytes.data(), bytes.size()));
    close(fd);
    Stream* stream = StreamOpen(path, StreamReadBinary);
    EXPECT_TRUE(stream != NULL);
    std::vector<std::string> lines;
    char line[LogLineCapacity + 8];
    memset(line, '#', sizeof line);
    while (LogReadLine(stream, line)) {
        EXPECT_EQ('#', line[LogLineCapacity]);  // nothing past the 500 bytes
        lines.push_back(line);
    }
    StreamClose(stream);
    unlink(path);
    return lines;
}

std::string Argument(const char* line, size_t capacity = LogLineCapacity)
{
    char code[3];
    char argument[LogLineCapacity + 1];
    memset(argument, '#', sizeof argument);
    LogSplitLine(line, code, argument, capacity);
    EXPECT_EQ('#', argument[capacity]);
    return argument;
}

std::string Code(const char* line)
{
    char code[3];
    char argument[LogLineCapacity];
    LogSplitLine(line, code, argument, sizeof argument);
    return code;
}

// The lines LogPreviousLine gives walking back, put in reading order.
std::vector<std::string> WalkBack(std::string bytes)
{
    size_t end = LogJoinLineEnds(&bytes[0], bytes.size());
    std::vector<std::string> lines;
    char line[LogLineCapacity];
    while (LogPreviousLine(bytes.data(), &end, line, sizeof line))
        lines.insert(lines.begin(), line);
    return lines;
}

TEST(LogPreviousLine, GivesTheReadersPiecesLastFirst)
{
    // The rollback walks back what the reader reads forward: the same pieces
    // of long lines, the same empty lines, a last line without its end.
    const std::string logs[] = {
        "",
        "ID 0\r\nNC kovra.exe\r\nPN Kovra Rendo Cup\r\n",
        "ID 0\nNC a\n\n\nPN x",
        "NC " + std::string(496, 'a') + "\r\n" + "NC " + std::string(497, 'b') + "\n",
        "NC " + std::string(1200, 'c') + "\nRK k\r\n",
        "\r\r\n\n\rx\r",
        std::string(998, 'd'),
    };
    for (const std::string& log : logs) {
        std::string translated = log;
        translated.resize(LogJoinLineEnds(&translated[0], translated.size()));
        EXPECT_EQ(ReadAll(translated), WalkBack(log)) << log.substr(0, 40);
    }
}

TEST(LogReadLine, ReadsLinesWithTheirLineEnds)
{
    std::vector<std::string> lines = ReadAll("ID 0\nNC kovra.exe\nPN Kovra Rendo Cup\n");
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("ID 0\n", lines[0]);
    EXPECT_EQ("NC kovra.exe\n", lines[1]);
    EXPECT_EQ("PN Kovra Rendo Cup\n", lines[2]);
    EXPECT_TRUE(ReadAll("").empty());
    // A last line without its line end is still a line.
    EXPECT_EQ(std::vector<std::string>({ "ID 0\n", "PN x" }), ReadAll("ID 0\nPN x"));
}

TEST(LogReadLine, TakesAtMost499CharactersAtATime)
{
    // 498 characters and the line end: one read.
    std::string fits(498, 'a');
    std::vector<std::string> lines = ReadAll(fits + "\nPN p\n");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(fits + "\n", lines[0]);

    // 499 characters and the line end: the line end is a line of its own.
    std::string full(499, 'b');
    lines = ReadAll(full + "\n");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(full, lines[0]);
    EXPECT_EQ("\n", lines[1]);

    // Longer: cut every 499 characters.
    lines = ReadAll(std::string(1000, 'c') + "\n");
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(499u, lines[0].size());
    EXPECT_EQ(499u, lines[1].size());
    EXPECT_EQ("cc\n", lines[2]);
}

TEST(LogSplitLine, CodeIsTheFirstTwoCharactersArgumentRunsToTheLineEnd)
{
    EXPECT_EQ("NC", Code("NC sfx\\a.wav\n"));
    EXPECT_EQ("sfx\\a.wav", Argument("NC sfx\\a.wav\n"));
    // Spaces belong to the argument, up to the line end.
    EXPECT_EQ("C:\\Menu\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.lnk",
              Argument("CL C:\\Menu\\Kovra Rendo Cup\\Entferne Kovra Rendo Cup.lnk\n"));
    // Five characters with the line end: a one-character argument.
    EXPECT_EQ("0", Argument("ID 0\n"));
    // Four or fewer: empty. The third character is not checked.
    EXPECT_EQ("", Argument("IS \n"));
    EXPECT_EQ("IS", Code("IS\n"));
    EXPECT_EQ("", Argument("IS\n"));
    EXPECT_EQ("x", Argument("NCxx\n"));
    EXPECT_EQ("", Code(""));
    EXPECT_EQ("", Argument(""));
    EXPECT_EQ("I", Code("I"));
    EXPECT_EQ("", Argument("I"));
}

TEST(LogSplitLine, DropsOnlyALineEnd)
{
    // A CR LF that came through untranslated reads like LF alone.
    EXPECT_EQ("kovra.exe", Argument("NC kovra.exe\r\n"));
    EXPECT_EQ("kovra.exe", Argument("NC kovra.exe\n"));
    // A last line without a line end keeps its last character.
    EXPECT_EQ("Kovra Rendo Cup", Argument("PN Kovra Rendo Cup"));
    EXPECT_EQ("a", Argument("NC a"));
    EXPECT_EQ("0", Argument("ID 0"));
    // A lone CR is part of the argument, not a line end.
    EXPECT_EQ("a\r", Argument("NC a\r"));
}

TEST(LogSplitLine, CutsTheArgumentToItsBuffer)
{
    EXPECT_EQ("abc", Argument("NC abcdef\n", 4));
    EXPECT_EQ("", Argument("NC abcdef\n", 1));
    char code[3];
    char untouched = '#';
    LogSplitLine("NC abc\n", code, &untouched, 0);
    EXPECT_EQ('#', untouched);
}

struct Levels {
    int result;
    int count;
    std::vector<int> flags;
};

Levels ParseLevels(const char* argument, int capacity = 120)
{
    std::vector<int> table(capacity + 1, -7);  // sentinel after the table
    Levels out;
    out.count = -1;
    out.result = LogParseLevels(argument, &out.count, table.data(), capacity);
    EXPECT_EQ(-7, table[capacity]);
    if (out.result)
        out.flags.assign(table.begin(), table.begin() + out.count);
    return out;
}

TEST(LogParseLevels, ReadsTheCountAndTheFlagsShallowestFirst)
{
    Levels l = ParseLevels("2 0 1");
    EXPECT_EQ(1, l.result);
    EXPECT_EQ(2, l.count);
    EXPECT_EQ(std::vector<int>({ 0, 1 }), l.flags);

    l = ParseLevels("0");
    EXPECT_EQ(1, l.result);
    EXPECT_EQ(0, l.count);

    // Numbers are read as atoi reads them: blanks skipped, a sign, digits.
    l = ParseLevels("3 1 -2 7x");
    EXPECT_EQ(std::vector<int>({ 1, -2, 7 }), l.flags);
    // A doubled blank is a token of its own that reads the next number.
    l = ParseLevels("2  1 0");
    EXPECT_EQ(std::vector<int>({ 1, 1 }), l.flags);
    // No digits: 0.
    EXPECT_EQ(0, ParseLevels("x 1").count);
}

TEST(LogParseLevels, AMoreThan150LevelCountStopsTheReader)
{
    EXPECT_EQ(0, ParseLevels("151").result);
    EXPECT_EQ(0, ParseLevels("99999999999999999999 1").result);
    EXPECT_EQ(1, ParseLevels("150").result);
    EXPECT_EQ(1, ParseLevels("-4 1 1").result);
    EXPECT_EQ(0, ParseLevels("-4 1 1").count);
}

TEST(LogParseLevels, NeverStoresMoreFlagsThanTheLineOrTheTableHolds)
{
    // Fewer flags than the count: only those read.
    Levels l = ParseLevels("3 0 1");
    EXPECT_EQ(2, l.count);
    // More flags than the count: the surplus is ignored.
    l = ParseLevels("1 1 1 1");
    EXPECT_EQ(std::vector<int>({ 1 }), l.flags);

    // 130 levels into a table of 120: the deepest 120 stay, so the removal,
    // which starts at the deepest level, still meets each level's own flag.
    std::string line = "130";
    for (int i = 0; i < 130; ++i)
        line += i < 125 ? " 0" : " 1";
    l = ParseLevels(line.c_str());
    ASSERT_EQ(120, l.count);
    for (int i = 0; i < 115; ++i)
        EXPECT_EQ(0, l.flags[i]) << i;
    for (int i = 115; i < 120; ++i)
        EXPECT_EQ(1, l.flags[i]) << i;

    EXPECT_EQ(0, ParseLevels("2 1 1", 0).count);
}

}  // namespace
