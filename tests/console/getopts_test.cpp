#include <gtest/gtest.h>

#include "console/getopts.hpp"

using namespace kestrova;

namespace {

struct Parsed {
    std::string x, i, o, l, error;
};

// The console's set-up of the parser, run to the end or to the first error.
Parsed Parse(std::vector<std::string> words) {
    words.insert(words.begin(), "/usr/bin/kestrova");
    TGetOpts g(words);
    g.SetOptions("XIOL");
    g.SetOptFlags("::::");
    g.SetReqFlags("XXX ");
    g.SetDefaults("-,-,-,-");
    g.SetLongOpts("EXE,in,out,log");
    Parsed p;
    try {
        while (g.NextOption()) {
            switch (g.CurrentLetter) {
                case 'x': p.x = g.CurrentArg; break;
                case 'i': p.i = g.CurrentArg; break;
                case 'o': p.o = g.CurrentArg; break;
                case 'l': p.l = g.CurrentArg; break;
                default: break;
            }
        }
    } catch (const EGetOpt& e) {
        p.error = e.what();
    }
    return p;
}

}  // namespace

TEST(TGetOpts, PropertiesAreStoredAsStated) {
    TGetOpts g({"prog"});
    g.SetOptions("XiOl");
    g.SetReqFlags("XX  ");
    g.SetLongOpts("Exe,IN");
    g.SetDefaults("A,-");
    EXPECT_EQ(g.Options(), "xiol");
    EXPECT_EQ(g.ReqFlags(), "xx  ");
    EXPECT_EQ(g.PendingFlags, "xx  ");
    EXPECT_EQ(g.LongOpts(), (std::vector<std::string>{"exe", "in"}));
    EXPECT_EQ(g.Defaults(), (std::vector<std::string>{"A", "-"}));
    EXPECT_EQ(g.ArgIndex, 1);
}

TEST(TGetOpts, CompleteCommandLine) {
    const auto p = Parse({"-x", "crt2obs", "-i", "a.crt", "-o", "res"});
    EXPECT_EQ(p.error, "");
    EXPECT_EQ(p.x, "crt2obs");
    EXPECT_EQ(p.i, "a.crt");
    EXPECT_EQ(p.o, "res");
    EXPECT_EQ(p.l, "");
}

TEST(TGetOpts, LongOptionValueIsLowerCasedShortOneIsNot) {
    EXPECT_EQ(Parse({"--exe=CRT2OBS", "-i", "A.crt", "-o", "R"}).x, "crt2obs");
    const auto p = Parse({"-x", "CRT2OBS", "--IN", "A.crt", "-o", "R"});
    EXPECT_EQ(p.x, "CRT2OBS");
    EXPECT_EQ(p.i, "A.crt");
}

TEST(TGetOpts, MissingRequiredOptionNamesItsLetter) {
    const auto p = Parse({"-x", "crt2obs", "-i", "a.crt"});
    EXPECT_EQ(p.error, "/usr/bin/kestrova: a required option (-o) is missing.");
    EXPECT_EQ(p.i, "a.crt");
    EXPECT_EQ(Parse({"a.crt"}).error, "/usr/bin/kestrova: a required option (-x) is missing.");
}

TEST(TGetOpts, OptionFollowedByAnOptionTakesTheDefault) {
    const auto p = Parse({"-x", "crt2obs", "-i", "-o", "res.obs"});
    EXPECT_EQ(p.i, "-");
    EXPECT_EQ(p.o, "res.obs");
    EXPECT_EQ(p.error, "");
}

TEST(TGetOpts, ArgumentMissingAtTheEnd) {
    const auto p = Parse({"-x", "crt2obs", "-i", "a", "-o", "b", "-l"});
    EXPECT_EQ(p.error, "/usr/bin/kestrova: Option -l requires an argument.");
    EXPECT_EQ(p.l, "");
    EXPECT_EQ(p.o, "b");
}

TEST(TGetOpts, UnknownOptionStopsParsing) {
    auto p = Parse({"-Q", "-x", "crt2obs"});
    EXPECT_EQ(p.error, "/usr/bin/kestrova: Unknown option -q.");
    EXPECT_EQ(p.x, "");
    p = Parse({"--output=x"});
    EXPECT_EQ(p.error, "/usr/bin/kestrova: Unknown option --output=x.");
}

TEST(TGetOpts, ShortOptionIgnoresTheRestOfItsWord) {
    const auto p = Parse({"-ia.crt", "b.crt", "-x", "crt2obs", "-o", "r"});
    EXPECT_EQ(p.i, "b.crt");
}

TEST(TGetOpts, LaterOccurrenceWins) {
    EXPECT_EQ(Parse({"-x", "crt2obs", "-i", "a", "-i", "b", "-o", "r"}).i, "b");
}

TEST(TGetOpts, ImproperSetUpAndUnsupportedLongOptions) {
    TGetOpts g({"prog", "-x", "v"});
    g.SetOptions("xi");
    g.SetOptFlags(":");
    g.SetReqFlags("xx");
    try {
        g.NextOption();
        FAIL();
    } catch (const EGetOpt& e) {
        EXPECT_EQ(std::string(e.what()),
                  "prog -x v: improper use of TGetOpts, one, some or more properties not initialized.");
    }
    TGetOpts h({"prog", "--exe=a"});
    h.SetOptions("x");
    h.SetOptFlags(":");
    h.SetReqFlags("x");
    try {
        h.NextOption();
        FAIL();
    } catch (const EGetOpt& e) {
        EXPECT_EQ(std::string(e.what()), "prog --exe=a: long option format not supported.");
    }
}

TEST(TGetOpts, PlainArgumentsKeepTheirCaseAndLeavePendingFlags) {
    TGetOpts g({"prog", "File.CRT"});
    g.SetOptions("x");
    g.SetOptFlags(":");
    g.SetReqFlags("x");
    ASSERT_TRUE(g.NextOption());
    EXPECT_EQ(g.OptionIndex, 0);
    EXPECT_EQ(g.CurrentLetter, '\0');
    EXPECT_EQ(g.CurrentArg, "File.CRT");
    EXPECT_EQ(g.PendingFlags, "x");
}
