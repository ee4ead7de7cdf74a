// The one voice: lines reach the stream they name, whole and flushed, unless a recorder
// holds the hook.
#include "diag/diagnostics.h"

#include "tests/support/capture.h"
#include "tests/support/recorded_lines.h"
#include "tests/support/test_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

TEST(Diagnostics, LinesReachTheStreamTheyNameWithOneNewlineEach)
{
    CapturedStream out(CapturedStream::Out);
    CapturedStream err(CapturedStream::Err);
    diagOut("to standard output");
    diagErr("to standard error");
    diagErrf("%s %d", "formatted", 42);
    EXPECT_EQ(out.text(), "to standard output\n");
    EXPECT_EQ(err.text(), "to standard error\nformatted 42\n");
}

// A line is in the stream's file when the call returns, so a program that ends or crashes
// right after it has said it: also where the stream is buffered whole (a log file, a pipe).
TEST(Diagnostics, ALineIsWrittenThroughBeforeTheCallReturns)
{
    TempDir dir;
    const std::filesystem::path file = dir.path() / "out.txt";
    std::fflush(stdout);
    std::setvbuf(stdout, nullptr, _IOFBF, BUFSIZ);
    const int saved = redirectDescriptor(1, file);
    diagOut("written through");
    std::ifstream in(file, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    restoreDescriptor(1, saved);
    EXPECT_EQ(written, "written through\n");
}

TEST(Diagnostics, RecordersNestAndGiveTheStreamsBackWhenTheyGo)
{
    CapturedStream err(CapturedStream::Err);
    {
        RecordedLines outer;
        diagErr("first");
        {
            RecordedLines inner;
            diagErr("second");
            diagOut("third");
            EXPECT_EQ(inner.err(), "second\n");
            EXPECT_EQ(inner.lines(DiagStream::Out), std::vector<std::string>{"third"});
        }
        diagErr("fourth");
        EXPECT_EQ(outer.err(), "first\nfourth\n");
        EXPECT_EQ(outer.out(), "");
    }
    diagErr("fifth");
    EXPECT_EQ(err.text(), "fifth\n");
}

TEST(Diagnostics, AFormattedLineLongerThanItsBufferIsCutNotOverrun)
{
    RecordedLines said;
    const std::string longWord(3000, 'x');
    diagErrf("%s", longWord.c_str());
    const auto lines = said.lines(DiagStream::Err);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string(1023, 'x'));
}

TEST(Diagnostics, ATextOfSeveralLinesIsSaidLineByLineWithItsBlankLinesKept)
{
    RecordedLines said;
    diagOutLines("usage:\n\n  --help\n");
    diagErrLines("log ends without a newline");
    diagErrLines("");
    diagErrLines("\n");
    EXPECT_EQ(said.out(), "usage:\n\n  --help\n");
    EXPECT_EQ(said.lines(DiagStream::Err),
              (std::vector<std::string>{"log ends without a newline", ""}));
}
