#include "data/Paths.h"

#include <gtest/gtest.h>

TEST(Paths, FoldsSeparatorsSoBothFormsNameOneFile) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"Z:\\studio-a\\Cuepilot\\Data\\Monday.mdb", "Z:/studio-a/Cuepilot/Data/Monday.mdb"},
        {"Z:/studio-a/Cuepilot/Data/\\Monday.mdb", "Z:/studio-a/Cuepilot/Data/Monday.mdb"},
        {"/srv/data//\\\\Phone.mdb", "/srv/data/Phone.mdb"},
        {"/srv/data/Phone.mdb", "/srv/data/Phone.mdb"},
        {"\\\\server\\share\\Data\\Promo.mdb", "//server/share/Data/Promo.mdb"},
        {"\\Monday.mdb", "/Monday.mdb"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(paths::fold(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(Paths, PasswordComesFromTheConnectString) {
    EXPECT_EQ(paths::passwordOf(";Pwd=4821kq"), "4821kq");
    EXPECT_EQ(paths::passwordOf("Access 2000;"), "");
    EXPECT_EQ(paths::passwordOf("Access 2000;PWD=abc"), "abc");
}

TEST(Paths, EmptyFolderTextMeansTheProgramFolder) {
    EXPECT_EQ(paths::withFallback("", "/opt/cue", "\\Monday.mdb"), "/opt/cue\\Monday.mdb");
    EXPECT_EQ(paths::withFallback("Z:/a/", "/opt/cue", "\\Monday.mdb"), "Z:/a/\\Monday.mdb");
}
