// The model file's grammar, its failures and the values stream extraction gives.
#include "FailingAllocations.h"
#include "ModelFileReader.h"
#include "ModelReadResult.h"
#include "TempFolder.h"
#include "WholeFile.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const char* const Triangle = "Vertices: 3\n"
                             "\n"
                             "Records:\n"
                             "\n"
                             "-1.0 -1.0 0.0 0.0 1.0 0.0 0.0 -1.0\n"
                             "0.0 1.0 0.0 0.5 0.0 0.0 0.0 -1.0\n"
                             "1.0 -1.0 0.0 1.0 1.0 0.0 0.0 -1.0\n";

// One record's worth of text after a standard header.
std::string OneVertex(const std::string& fields)
{
    return "Vertices: 1\n\nData:\n\n" + fields + "\n";
}

std::vector<float> Fields(const ModelReadResult& result)
{
    std::vector<float> fields;
    for (std::size_t i = 0; i < result.vertices.size() * 8; ++i)
        fields.push_back(result.Field(i));
    return fields;
}

std::uint32_t Bits(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void ExpectFailure(const std::string& text)
{
    const ModelReadResult result = ModelReadResult::Parse(text);
    EXPECT_FALSE(result.ok) << text;
    EXPECT_TRUE(result.listNull) << text;
    EXPECT_EQ(result.count, 0) << text;
}
}

TEST(ModelFileGrammar, ExampleTriangleReadsThreeRecordsInFileOrder)
{
    const ModelReadResult result = ModelReadResult::Parse(Triangle);
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.count, 3);
    EXPECT_EQ(Fields(result), (std::vector<float>{-1, -1, 0, 0, 1, 0, 0, -1, 0, 1, 0, 0.5f, 0, 0, 0, -1, 1, -1, 0, 1,
                                                  1, 0, 0, -1}));
}

TEST(ModelFileGrammar, FirstLabelMayHoldDigitsBlanksAndLineBreaks)
{
    const ModelReadResult result =
        ModelReadResult::Parse("Model 7 has\r\n 12 parts and 3\nlines:1\n9 things:\n\n1 2 3 4 5 6 7 8");
    ASSERT_TRUE(result.ok);
    ASSERT_EQ(result.count, 1);
    EXPECT_EQ(Fields(result), (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(ModelFileGrammar, NumberRightAfterASingleLineBreakLosesItsFirstCharacter)
{
    // The two skipped characters are the line break and the '-'; a CR LF pair is one character.
    for (const char* lineBreak : {"\n", "\r\n"})
    {
        const std::string text = std::string("Vertices: 1") + lineBreak + "Data:" + lineBreak + "-1.0 2 3 4 5 6 7 8";
        const ModelReadResult result = ModelReadResult::Parse(text);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.Field(0), 1.0f) << "line break " << (lineBreak[0] == '\r' ? "CR LF" : "LF");
        EXPECT_EQ(result.Field(7), 8.0f);
    }
    const ModelReadResult twoBreaks = ModelReadResult::Parse("Vertices: 1\r\nData:\r\n\r\n-1.0 2 3 4 5 6 7 8");
    EXPECT_EQ(twoBreaks.Field(0), -1.0f);
}

TEST(ModelFileGrammar, RecordSpreadOverLinesReadsAsOnOneLine)
{
    const ModelReadResult oneLine = ModelReadResult::Parse(OneVertex("1 2 3 4 5 6 7 8"));
    const ModelReadResult spread = ModelReadResult::Parse(OneVertex("1\n2 3\r\n\r\n4\t5\v6\f7\r8"));
    ASSERT_TRUE(spread.ok);
    EXPECT_EQ(ModelReadResult::Difference(oneLine, spread), "");
}

TEST(ModelFileGrammar, RecordsBeyondTheCountAreIgnored)
{
    const ModelReadResult result = ModelReadResult::Parse("Count: 1\n\nData:\n\n1 2 3 4 5 6 7 8\n9 9 9 9 9 9 9 9\n");
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.count, 1);
    EXPECT_EQ(result.vertices.size(), 1u);
}

TEST(ModelFileGrammar, ExponentsAndSignsAsStandardExtraction)
{
    const ModelReadResult result = ModelReadResult::Parse(OneVertex("1e-3 -2.5E+2 +4 .5 -0 5. 1E2 -7e-1"));
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(Fields(result), (std::vector<float>{1e-3f, -250.0f, 4.0f, 0.5f, 0.0f, 5.0f, 100.0f, -0.7f}));
    EXPECT_EQ(Bits(result.Field(4)), 0x80000000u) << "-0 keeps its sign";
}

TEST(ModelFileGrammar, CountZeroGivesAnEmptyListThatExists)
{
    const ModelReadResult result = ModelReadResult::Parse("Vertices: 0\n\nData:\n\n");
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.count, 0);
    EXPECT_FALSE(result.listNull);
    EXPECT_TRUE(ModelReadResult::Parse("a:0b:").ok) << "no room for the two skipped characters is fine";
}

TEST(ModelFileGrammar, CountMayCarryASignAndLeadingZeros)
{
    EXPECT_EQ(ModelReadResult::Parse("V: +1 D:\n\n1 2 3 4 5 6 7 8").count, 1);
    EXPECT_EQ(ModelReadResult::Parse("V:\r\n\t0001 D:\n\n1 2 3 4 5 6 7 8").count, 1);
    EXPECT_EQ(ModelReadResult::Parse("V: -0 D:\n\n").count, 0);
}

TEST(ModelFileGrammar, ReadFileReadsThroughTextMode)
{
    std::string text = Triangle;
    for (std::string::size_type at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
        text.insert(at, "\r");
    TempFolder folder;
    const std::string file = folder.Write("model.txt", text + "\x1a" "garbage").string();
    EXPECT_EQ(ModelReadResult::Difference(ModelReadResult::Parse(Triangle), ModelReadResult::ReadFile(file.c_str())),
              "");
}

TEST(ModelFileFailures, MissingFileFails)
{
    const ModelReadResult result = ModelReadResult::ReadFile("no-such-model-file.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.listNull);
    EXPECT_EQ(result.count, 0);
}

TEST(ModelFileFailures, EndOfTextBeforeEitherColonFails)
{
    ExpectFailure("");
    ExpectFailure("Vertices 3\n\nData\n\n1 2 3");
    ExpectFailure("Vertices: 3\n\nData\n\n1 2 3");
    ExpectFailure("Vertices\x1a: 3\n\nData:\n\n1 2 3"); // Ctrl-Z ends the text
    ExpectFailure("Vertices: 3");
}

TEST(ModelFileFailures, NoCountFails)
{
    for (const char* text : {"V: x D:\n\n", "V: + 1 D:\n\n", "V:", "V: \r\n ", "V: 99999999999 D:\n\n",
                             "V: 2147483648 D:\n\n", "V: -2147483649 D:\n\n", "V: 0x10 D:\n\n"})
    {
        if (std::string(text).find("0x10") != std::string::npos)
            EXPECT_TRUE(ModelReadResult::Parse(text).ok) << "the count is the 0 before the x";
        else
            ExpectFailure(text);
    }
}

TEST(ModelFileFailures, NegativeCountFails)
{
    ExpectFailure("V: -1 D:\n\n1 2 3 4 5 6 7 8");
    ExpectFailure("V: -2147483648 D:\n\n");
}

TEST(ModelFileFailures, CountTheRestCannotHoldFailsWithoutAllocating)
{
    // Two records need 31 characters: eight one-character numbers each, all
    // separated, and a CR LF pair counts once.
    const std::string header = "V: 2 D:\n\n";
    const std::string exact = "1 2 3 4 5 6 7 8\n1 2 3 4 5 6 7 8";
    EXPECT_TRUE(ModelReadResult::Parse(header + exact).ok);
    EXPECT_TRUE(ModelReadResult::Parse(header + "1-2-3-4-5-6-7-8-1-2-3-4-5-6-7-8").ok);
    std::string crlf = exact;
    for (char& c : crlf)
        c = c == ' ' ? '\n' : c;
    std::string withPairs;
    for (char c : crlf)
        withPairs += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_TRUE(ModelReadResult::Parse(header + withPairs).ok);
    ExpectFailure(header + withPairs.substr(0, withPairs.size() - 1));
    ExpectFailure(header + exact.substr(0, exact.size() - 1));
    ExpectFailure(header + exact.substr(0, exact.size() - 2) + "\x1a" "8");

    FailingAllocations::Reset();
    ExpectFailure("V: 2000000000 D:\n\n1 2 3 4 5 6 7 8");
    EXPECT_EQ(FailingAllocations::Attempts(), 0) << "nothing may be allocated for an impossible count";
}

TEST(ModelFileFailures, FailedAllocationsFailTheRead)
{
    // The vertex list, and the file's bytes where they are copied rather than mapped.
    TempFolder folder;
    const std::string file = folder.Write("model.txt", Triangle).string();
    for (int n = 1; n <= 3; ++n)
    {
        ScopedFailingAllocations failing(n);
        const ModelReadResult result = ModelReadResult::ReadFile(file.c_str());
        if (FailingAllocations::Attempts() < n)
        {
            EXPECT_TRUE(result.ok) << "no allocation failed";
            EXPECT_GE(n, 2) << "the vertex list is allocated";
            return;
        }
        EXPECT_FALSE(result.ok) << "allocation " << n;
        EXPECT_TRUE(result.listNull);
    }
    ADD_FAILURE() << "more allocations than the file's bytes and the vertex list";
}

TEST(StreamExtraction, FailedExtractionLeavesEveryLaterFieldZero)
{
    const ModelReadResult result = ModelReadResult::Parse("V: 2 D:\n\n1 2 x 4 5 6 7 8\n1 2 3 4 5 6 7 8");
    ASSERT_TRUE(result.ok) << "a failed extraction does not fail the read";
    EXPECT_EQ(Fields(result), (std::vector<float>{1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(StreamExtraction, OverflowStoresTheLargestFloatAndStops)
{
    const ModelReadResult up = ModelReadResult::Parse(OneVertex("1 3.5e38 7 7 7 7 7 7"));
    EXPECT_EQ(Fields(up), (std::vector<float>{1, FLT_MAX, 0, 0, 0, 0, 0, 0}));
    const ModelReadResult down = ModelReadResult::Parse(OneVertex("-1e39 7 7 7 7 7 7 7"));
    EXPECT_EQ(down.Field(0), -FLT_MAX);
    EXPECT_EQ(down.Field(1), 0.0f);
    // Halfway between the largest float and 2^128 rounds up: overflow.
    EXPECT_EQ(ModelReadResult::Parse(OneVertex("340282356779733661637539395458142568448 7 7 7 7 7 7 7")).Field(1), 0.0f);
    EXPECT_EQ(ModelReadResult::Parse(OneVertex("340282356779733661637539395458142568447 7 7 7 7 7 7 7")).Field(1), 7.0f);
}

TEST(StreamExtraction, UnderflowGivesZeroOrADenormalAndGoesOn)
{
    const ModelReadResult result = ModelReadResult::Parse(OneVertex("1e-50 -1e-50 1e-45 7e-46 7.1e-46 6 7 8"));
    EXPECT_EQ(Bits(result.Field(0)), 0x00000000u);
    EXPECT_EQ(Bits(result.Field(1)), 0x80000000u);
    EXPECT_EQ(Bits(result.Field(2)), 0x00000001u);
    EXPECT_EQ(Bits(result.Field(3)), 0x00000000u) << "below half the smallest denormal";
    EXPECT_EQ(Bits(result.Field(4)), 0x00000001u);
    EXPECT_EQ(result.Field(7), 8.0f);
}

TEST(StreamExtraction, MalformedNumbersFailTheStream)
{
    // Each spelling is followed by a 5 that must stay unread.
    for (const char* spelling : {"1.5e", "1e+", "2E-", "inf", "-inf", "nan", "infinity", "+", "-", ".", "e5", "\0"})
    {
        const std::string text = OneVertex(std::string("3 ") + (spelling[0] ? spelling : std::string(1, '\0')) + " 5 5 5 5 5 5");
        const ModelReadResult result = ModelReadResult::Parse(text);
        EXPECT_EQ(Fields(result), (std::vector<float>{3, 0, 0, 0, 0, 0, 0, 0})) << spelling;
    }
}

TEST(StreamExtraction, NumbersStopWhereTheirGrammarStops)
{
    // Without separators: 1, -2, +3.5, .5, then "0x10" gives 0 and "x10" fails.
    EXPECT_EQ(Fields(ModelReadResult::Parse(OneVertex("1-2+3.5.5 1e5.5 0x10 9"))),
              (std::vector<float>{1, -2, 3.5f, 0.5f, 1e5f, 0.5f, 0, 0}));
    EXPECT_EQ(Fields(ModelReadResult::Parse(OneVertex("000012.50 +.25 1,5 9 9 9"))),
              (std::vector<float>{12.5f, 0.25f, 1, 0, 0, 0, 0, 0}));
}

TEST(StreamExtraction, ConversionIsCorrectlyRounded)
{
    const ModelReadResult result = ModelReadResult::Parse(
        OneVertex("16777217 16777219 0.1 16777217.000000001 3.4028235e38 1.17549435e-38 "
                  "0.00000000000000000000000000000000000000000000140129846432481707092372958328991613128026194187651577"
                  " 123456789012345678901234567890"));
    EXPECT_EQ(result.Field(0), 16777216.0f) << "ties go to even";
    EXPECT_EQ(result.Field(1), 16777220.0f);
    EXPECT_EQ(Bits(result.Field(2)), 0x3DCCCCCDu);
    EXPECT_EQ(result.Field(3), 16777218.0f);
    EXPECT_EQ(result.Field(4), FLT_MAX);
    EXPECT_EQ(Bits(result.Field(5)), 0x00800000u);
    EXPECT_EQ(Bits(result.Field(6)), 0x00000001u);
    EXPECT_EQ(Bits(result.Field(7)), 0x6FC77488u);
}

TEST(StreamExtraction, TextModeLineBreaksAndEndOfText)
{
    // A lone CR is white space like any other; Ctrl-Z ends the text mid-record.
    EXPECT_EQ(Fields(ModelReadResult::Parse(OneVertex("1\r2\r\r\n3 4 5 6 7.0\x1a 8"))),
              (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 0}));
    EXPECT_EQ(Fields(ModelReadResult::Parse(OneVertex("1 2 3 4 5 6 7 8\x1a"))),
              (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(WholeFile, HoldsEveryByteUntranslated)
{
    // Line breaks, Ctrl-Z and NUL are the parser's business; files ending on and
    // just past a page boundary.
    const std::string cases[] = {"", "V: 1\r\nD:\r\n1 2\x1a" "3\r", std::string("1\0" "2", 3), std::string(8192, '7'),
                                 std::string(3 * 4096 + 1, '\r')};
    TempFolder folder;
    WholeFile file;
    int index = 0;
    for (const std::string& bytes : cases)
    {
        // A file of its own each time: a mapped file cannot be rewritten.
        const std::string name = folder.Write("bytes" + std::to_string(index++), bytes).string();
        ASSERT_TRUE(file.Load(name.c_str())) << bytes.size() << " bytes";
        EXPECT_EQ(std::string(file.Size() > 0 ? file.Data() : "", file.Size()), bytes);
    }
    EXPECT_FALSE(file.Load(folder.Path("missing.txt").string().c_str()));
    EXPECT_EQ(file.Size(), 0u) << "a failed load holds nothing";
}
