#include "data/catalogue/Paths.h"

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

// A server address keeps its "//"; the file constant after it, with either separator, names the
// file's schema, and the rest is the address the client library is given.
TEST(Paths, AServerAddressNamesItsFileAfterEitherSeparator) {
    struct Case {
        const char* in;
        bool server;
        const char* address;
        const char* file;
    };
    const Case cases[] = {
        {"postgresql://db.studio:5433/station\\Monday.mdb", true, "postgresql://db.studio:5433/station",
         "Monday.mdb"},
        {"postgresql://db.studio/station/\\Monday.mdb", true, "postgresql://db.studio/station", "Monday.mdb"},
        {"postgresql://db.studio/station?sslmode=require/Phone.mdb", true,
         "postgresql://db.studio/station?sslmode=require", "Phone.mdb"},
        {"postgres://ann@%2Ftmp%2Fpg/station\\Promo.mdb", true, "postgres://ann@%2Ftmp%2Fpg/station",
         "Promo.mdb"},
        {"PostgreSQL:///station?host=/run/pg\\Slogan.mdb", true, "PostgreSQL:///station?host=/run/pg",
         "Slogan.mdb"},
        {"postgresql://db.studio/station", true, "postgresql://db.studio/station", ""},
        {"//server/share/postgresql://x\\Monday.mdb", false, "", ""},
        {"Z:\\Data\\Monday.mdb", false, "", ""},
    };
    for (const Case& c : cases) {
        const QString in = QString::fromUtf8(c.in);
        EXPECT_EQ(paths::isServer(in), c.server) << c.in;
        if (!c.server) continue;
        const paths::ServerFile f = paths::splitServerFile(in);
        EXPECT_EQ(f.server, QString::fromUtf8(c.address)) << c.in;
        EXPECT_EQ(f.file, QString::fromUtf8(c.file)) << c.in;
    }
    EXPECT_EQ(paths::fold("postgresql://db.studio/station/\\\\Monday.mdb"),
              "postgresql://db.studio/station/Monday.mdb");
}
