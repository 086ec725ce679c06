// Pure string and path helpers (also built for the board and run under qemu).
#include <gtest/gtest.h>
#include <string.h>

#include "platform/velto_SC_utils.h"

using namespace Velto;

TEST(BoundedCopy, CopiesTruncatesAndReportsSourceLength) {
    char buf[8];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(strlcpy(buf, "hello world", sizeof buf), 11u);
    EXPECT_STREQ(buf, "hello w");
    EXPECT_EQ(strlcpy(buf, "hi", sizeof buf), 2u);
    EXPECT_STREQ(buf, "hi");
    char untouched = 'q';
    EXPECT_EQ(strlcpy(&untouched, "abc", 0), 3u);
    EXPECT_EQ(untouched, 'q');
}

TEST(BoundedCopy, AppendKeepsTerminatorAndReportsWantedLength) {
    char buf[8] = "abc";
    EXPECT_EQ(strlcat(buf, "defgh", sizeof buf), 8u);
    EXPECT_STREQ(buf, "abcdefg");
    // A destination that already fills the buffer is left alone.
    char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(strlcat(full, "xy", sizeof full), 6u);
    EXPECT_EQ(memcmp(full, "abcd", 4), 0);
}

TEST(CaseAndExtension, ConvertInPlaceAndFindLastDot) {
    std::string s = "Img01.Jpg";
    EXPECT_TRUE(StringToUpcase(s));
    EXPECT_EQ(s, "IMG01.JPG");
    EXPECT_TRUE(StringToLowcase(s));
    EXPECT_EQ(s, "img01.jpg");
    std::string empty;
    EXPECT_FALSE(StringToUpcase(empty));
    EXPECT_EQ(GetExtendFilename("A.B.avi"), "avi");
    EXPECT_EQ(GetExtendFilename("README"), "");
    EXPECT_EQ(GetExtendFilename(""), "");
    // Only the last dot counts, even inside a directory part.
    EXPECT_EQ(GetExtendFilename("/media/v1.0/DCIM/file"), "0/DCIM/file");
}

TEST(Bcd, RoundTripsTwoDigitValues) {
    for (unsigned v = 0; v < 100; ++v) {
        EXPECT_EQ(bcd2bin(bin2bcd(v)), v);
    }
    EXPECT_EQ(bin2bcd(59), 0x59);
    EXPECT_EQ(bcd2bin(0x23), 23u);
}

TEST(Paths, TrimAndSplit) {
    EXPECT_EQ(TrimDIR("/"), "");
    EXPECT_EQ(TrimDIR(""), "");
    EXPECT_EQ(TrimDIR("a/b//"), "a/b");
    EXPECT_EQ(TrimDIR("///x"), "/x");
    EXPECT_EQ(TrimDIR("//a//b/"), "/a//b");
    EXPECT_EQ(Basename("/media/nand/DCIM/"), "DCIM");
    EXPECT_EQ(Basename("file.avi"), "file.avi");
    EXPECT_EQ(GetParentDIR("/media/nand/DCIM/"), "/media/nand");
    EXPECT_EQ(GetParentDIR("/x"), "");
    EXPECT_EQ(GetParentDIR("x"), "");
    EXPECT_EQ(PathBasename("/media/nand/DCIM/"), "/media/nand/DCIM");
    EXPECT_EQ(PathBasename("/media/nand/20261208101500.avi"), "/media/nand");
    EXPECT_EQ(PathBasename("name"), "");
}

TEST(Paths, CaseInsensitiveOrder) {
    EXPECT_TRUE(compare_nocase("abc", "ABD"));
    EXPECT_FALSE(compare_nocase("ABD", "abc"));
    EXPECT_TRUE(compare_nocase("ab", "ABC"));
    EXPECT_FALSE(compare_nocase("ABC", "abc"));
    EXPECT_TRUE(compare_nocase("", "a"));
    EXPECT_FALSE(compare_nocase("", ""));
    EXPECT_FALSE(compare_nocase("a", ""));
}

TEST(Paths, ShellSafeWordsOnly) {
    EXPECT_TRUE(IsShellSafe("/media/sd-mmcblk0p1"));
    EXPECT_TRUE(IsShellSafe("/dev/mmcblk0p1"));
    EXPECT_FALSE(IsShellSafe(""));
    for (const char* bad : {"/media/x; reboot", "/m/$(id)", "/m/`id`", "a|b", "a&b", "a b", "a>b",
                            "a'b", "a\"b", "a\nb", "a*"}) {
        EXPECT_FALSE(IsShellSafe(bad)) << bad;
    }
}
