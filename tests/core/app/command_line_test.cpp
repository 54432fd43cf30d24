#include "core/app/command_line.h"
#include "core/app/help_title.h"

#include <gtest/gtest.h>

#include <limits>

namespace mirelda {
namespace {

// No argument names an existing file here, whatever the machine's folders are.
StartOptions Parse(std::vector<std::string> args)
{
    return ParseCommandLine(args, [](const std::string&) { return false; });
}

TEST(CommandLine, existingPath_isAPathNotASwitch)
{
    const auto onlyData = [](const std::string& arg) { return arg == "/data/GUIDE" || arg == "/foo"; };
    // Read as switches these would be D "ta/GUIDE" and F: a typed path names the help set
    // and never closes the running viewer.
    StartOptions o = ParseCommandLine({"/data/GUIDE", "/P:3"}, onlyData);
    EXPECT_EQ(o.helpSetBase, "/data/GUIDE");
    EXPECT_EQ(o.startArticle, 3);
    o = ParseCommandLine({"/foo"}, onlyData);
    EXPECT_EQ(o.helpSetBase, "/foo");
    EXPECT_FALSE(o.closeRunning);
    EXPECT_TRUE(ParseCommandLine({"/F"}, onlyData).closeRunning);
}

TEST(CommandLine, barePath_meansWhatDMeans_inCommandLineOrder)
{
    StartOptions o = Parse({"aides/CATALOGUE.pgh", "/P:4"});
    EXPECT_EQ(o.helpSetBase, "aides/CATALOGUE.pgh");
    EXPECT_EQ(o.windowClassName, BuildClassName("AIDESCATALOGUEPGH"));
    EXPECT_EQ(o.startArticle, 4);
    EXPECT_EQ(Parse({"/D:one", "two"}).helpSetBase, "two");
    EXPECT_EQ(Parse({"two", "/D:one"}).helpSetBase, "one");
    // Paths that do not exist still name the help set looked for, so that the message says
    // which: an absolute path with folders, any help-set file, a name after "--".
    EXPECT_EQ(Parse({"/home/claire/aides/CATALOGUE"}).helpSetBase, "/home/claire/aides/CATALOGUE");
    EXPECT_EQ(Parse({"/GUIDE.Pgd"}).helpSetBase, "/GUIDE.Pgd");
    EXPECT_EQ(Parse({"-guide.pgh"}).helpSetBase, "-guide.pgh");
    EXPECT_EQ(Parse({"Mes aides/Été.PGH"}).helpSetBase, "Mes aides/Été.PGH");
    o = Parse({"--", "-p:3", "/F"});
    EXPECT_EQ(o.helpSetBase, "/F");
    EXPECT_FALSE(o.hasStartArticle);
    EXPECT_FALSE(o.closeRunning);
    // Still switches: a ":" or "=" separator wins over a help-set extension, and a single
    // name after "/" or "-" is a switch unless it exists.
    EXPECT_EQ(Parse({"-d:x.pgd"}).helpSetBase, "x.pgd");
    EXPECT_EQ(Parse({"/D=/a/b"}).helpSetBase, "/a/b");
    EXPECT_EQ(Parse({"/P25"}).startArticle, 5);
    EXPECT_TRUE(Parse({"/fermer"}).closeRunning);
    EXPECT_EQ(Parse({"-x"}).helpSetBase, "");
}

TEST(CommandLine, fileUrls_giveTheLocalPath)
{
    EXPECT_EQ(Parse({"file:///home/a%20b/%C3%A9t%C3%A9.PGH"}).helpSetBase, "/home/a b/été.PGH");
    EXPECT_EQ(LocalPathOfFileUrl("FILE://LocalHost/x/G.pgh"), "/x/G.pgh");
    EXPECT_EQ(LocalPathOfFileUrl("file:/x"), "/x");
    EXPECT_EQ(LocalPathOfFileUrl("file:///a/G.PGH?x=1#top"), "/a/G.PGH");
    EXPECT_EQ(LocalPathOfFileUrl("file:///a%2fb"), "/a/b");
    for (const char* bad : {"file://other/x", "file:///x%zz", "file:///x%4", "file:///x%", "file:///a%00b",
                            "file:relative", "file://", "http://x/G.PGH", "file:"})
        EXPECT_EQ(LocalPathOfFileUrl(bad), std::nullopt) << bad;
    // Not a local file: kept as given, so that the message names it.
    EXPECT_EQ(Parse({"file://other/x.pgh"}).helpSetBase, "file://other/x.pgh");
}

TEST(CommandLine, noArguments_keepsDefaults)
{
    const StartOptions o = Parse({});
    EXPECT_EQ(o.helpSetBase, "");
    EXPECT_EQ(o.windowClassName, "MireldaView0110");
    EXPECT_FALSE(o.hasStartArticle);
    EXPECT_EQ(o.startArticle, 0);
    EXPECT_FALSE(o.closeRunning);
}

TEST(CommandLine, startArticle_secondCharacterIsSkippedUnread)
{
    EXPECT_EQ(Parse({"/P25"}).startArticle, 5);
    EXPECT_EQ(Parse({"/P:25"}).startArticle, 25);
    EXPECT_EQ(Parse({"/P=25"}).startArticle, 25);
    EXPECT_EQ(Parse({"-p:7"}).startArticle, 7);
    const StartOptions letters = Parse({"/P:abc"});
    EXPECT_TRUE(letters.hasStartArticle);
    EXPECT_EQ(letters.startArticle, 0);
    const StartOptions bare = Parse({"/P"});
    EXPECT_TRUE(bare.hasStartArticle);
    EXPECT_EQ(bare.startArticle, 0);
}

TEST(CommandLine, articleNumber_readLikeAtoi)
{
    EXPECT_EQ(ParseArticleNumber("  \t42"), 42);
    EXPECT_EQ(ParseArticleNumber("-12"), -12);
    EXPECT_EQ(ParseArticleNumber("+12"), 12);
    EXPECT_EQ(ParseArticleNumber("12abc"), 12);
    EXPECT_EQ(ParseArticleNumber("12 34"), 12);
    EXPECT_EQ(ParseArticleNumber("- 5"), 0);
    EXPECT_EQ(ParseArticleNumber("--5"), 0);
    EXPECT_EQ(ParseArticleNumber(""), 0);
    EXPECT_EQ(ParseArticleNumber("2147483647"), 2147483647);
    EXPECT_EQ(ParseArticleNumber("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(CommandLine, articleNumber_overflowSaturates)
{
    EXPECT_EQ(ParseArticleNumber("2147483648"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ParseArticleNumber("-2147483649"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ParseArticleNumber(std::string(5000, '9')), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ParseArticleNumber("-" + std::string(5000, '9')), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(ParseArticleNumber("0000000000000000000000042"), 42);
}

TEST(CommandLine, helpSet_keepsTypedCaseAndNamesTheClassFromUpperCase)
{
    const StartOptions o = Parse({"/d:/home/ana/hlp/guide2"});
    EXPECT_EQ(o.helpSetBase, "/home/ana/hlp/guide2");
    EXPECT_EQ(o.windowClassName, "NAHLPGUIDE"); // last ten letters of HOMEANAHLPGUIDE
    EXPECT_EQ(Parse({"/D:C:\\HLP\\GUIDE2"}).windowClassName, "ACHLPGUIDE");
    EXPECT_EQ(Parse({"/D:12/34"}).windowClassName, "AAAAAAAAAA");
}

TEST(CommandLine, laterSwitchesWin)
{
    const StartOptions o = Parse({"/D:one", "stray", "/P:3", "-D=two", "/P:9"});
    EXPECT_EQ(o.helpSetBase, "two");
    EXPECT_EQ(o.windowClassName, "AAAAAAATWO");
    EXPECT_EQ(o.startArticle, 9);
    EXPECT_FALSE(o.closeRunning);
}

TEST(CommandLine, closeSwitch_restNotRead)
{
    EXPECT_TRUE(Parse({"/F"}).closeRunning);
    EXPECT_TRUE(Parse({"-fermer"}).closeRunning);
    const StartOptions o = Parse({"/F", "/D:x"});
    EXPECT_TRUE(o.closeRunning);
    EXPECT_EQ(o.helpSetBase, "x");
}

TEST(CommandLine, otherSwitchesAndLongOptionsIgnored)
{
    const StartOptions o = Parse({"/home", "-x", "/", "-", "", "--help", "--version", "--debug=/P:4"});
    EXPECT_EQ(o.helpSetBase, "");
    EXPECT_FALSE(o.hasStartArticle);
    EXPECT_FALSE(o.closeRunning);
    EXPECT_EQ(o.windowClassName, "MireldaView0110");
}

TEST(CommandLine, emptyHelpSetValue_givesPaddedClassName)
{
    const StartOptions o = Parse({"/D"});
    EXPECT_EQ(o.helpSetBase, "");
    EXPECT_EQ(o.windowClassName, "AAAAAAAAAA");
}

TEST(ClassName, lastTenLettersPaddedWithA)
{
    EXPECT_EQ(BuildClassName(""), "AAAAAAAAAA");
    EXPECT_EQ(BuildClassName("C:\\HLP\\GUIDE2"), "ACHLPGUIDE");
    EXPECT_EQ(BuildClassName("ABCDEFGHIJKLMNOP"), "GHIJKLMNOP");
    EXPECT_EQ(BuildClassName("a1b2c3"), "AAAAAAAabc");                 // case kept as given
    EXPECT_EQ(BuildClassName("\xC3\xA9t\xC3\xA9\xE9Z"), "AAAAAAAAtZ"); // bytes above 127 skipped
}

TEST(HelpTitle, rowsTriedInOrderOnUpperCasedPath)
{
    EXPECT_EQ(HelpTitle(""), "Aide");
    EXPECT_EQ(HelpTitle("/opt/vornelas/GUIDE"), "Aide VORNELAS");
    EXPECT_EQ(HelpTitle("/x/QuilMorv"), "Aide Quil Morvante");
    EXPECT_EQ(HelpTitle("/fendal/aide"), "Aide");                // FENDA alone is not enough
    EXPECT_EQ(HelpTitle("/fendal/rux"), "Aide Fendal Ruxanore"); // substrings in directory names
    EXPECT_EQ(HelpTitle("/fendal/rux/vorne"), "Aide VORNELAS");  // row 1 before row 3
    EXPECT_EQ(HelpTitle("/fendal/rux/quilmo"), "Aide Quil Morvante");
    EXPECT_EQ(HelpTitle("mildane"), "Aide Mildane");
    EXPECT_EQ(HelpTitle("PROSKEL"), "Aide Dorvins Proskelane");
    EXPECT_EQ(HelpTitle("a/estix"), "Aide Gulavera/Estixorandi");
    EXPECT_EQ(HelpTitle("a/gulav"), "Aide Gulavera/Estixorandi");
}

} // namespace
} // namespace mirelda
