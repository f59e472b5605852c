// Bounded copies: never past the buffer, always terminated, and they say
// whether the text fitted.
#include <gtest/gtest.h>
#include <string.h>

#include "support/bounded.h"

TEST(CopyText, FitsExactlyWithItsTerminator)
{
    char buffer[6];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(1, CopyText(buffer, sizeof buffer, "abcde"));
    EXPECT_STREQ("abcde", buffer);
}

TEST(CopyText, CutsWhatDoesNotFitAndSaysSo)
{
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(0, CopyText(buffer, 4, "abcdef"));
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ('#', buffer[4]);  // nothing written past the given capacity
    EXPECT_EQ(0, CopyText(buffer, 0, "x"));
    EXPECT_EQ(1, CopyText(buffer, 1, ""));
    EXPECT_STREQ("", buffer);
}

TEST(AppendText, StopsAtTheCapacity)
{
    char buffer[8] = "abc";
    EXPECT_EQ(1, AppendText(buffer, sizeof buffer, "defg"));
    EXPECT_STREQ("abcdefg", buffer);
    EXPECT_EQ(0, AppendText(buffer, sizeof buffer, "h"));
    EXPECT_STREQ("abcdefg", buffer);

    char unterminated[4] = { 'a', 'b', 'c', 'd' };
    EXPECT_EQ(0, AppendText(unterminated, sizeof unterminated, "x"));
    EXPECT_EQ('d', unterminated[3]);
}
