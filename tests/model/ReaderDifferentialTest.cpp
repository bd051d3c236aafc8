// The fast reader against the plain stream-based reading: the same result, count
// and bits in every field, over edge cases and over random and corrupted files.
#include "ModelReadResult.h"
#include "RandomModelText.h"
#include "StreamReference.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace
{
const char NulText[] = "V: 1 D:\n\n1 2 \0 4 5 6 7 8";

const std::string EdgeCases[] = {
    "Vertices: 3\n\nRecords:\n\n-1.0 -1.0 0.0 0.0 1.0 0.0 0.0 -1.0\n0.0 1.0 0.0 0.5 0.0 0.0 0.0 -1.0\n"
    "1.0 -1.0 0.0 1.0 1.0 0.0 0.0 -1.0\n",
    "Vertices: 1\nData:\n-1.0 2 3 4 5 6 7 8",
    "Vertices: 1\r\nData:\r\n-1.0 2 3 4 5 6 7 8",
    "Vertices: 1\r\nData:\r\r\n-1.0 2 3 4 5 6 7 8",
    "Vertices: 1\rData:\r-1.0 2 3 4 5 6 7 8",
    "Vertices: 1\nData:-1.0 2 3 4 5 6 7 8",
    "Vertices: 1\nData:\n\n1\n2\r\n3\r4\t5\v6\f7 8",
    "1 2 3\n4 lines\r\n:1\n:\n\n1 2 3 4 5 6 7 8",
    "V: 1 D:\n\n1 2 3 4 5 6 7 8 9 9 9 9 9 9 9 9",
    "V: 0 D:\n\n",
    "V: 0 D:",
    "V: 0 D:\x1a\n\n",
    "V: 1 D:\n\n1e-3 -2.5E+2 +4 .5 -0 5. 1E2 -7e-1",
    "V: 1 D:\n\n1 3.5e38 7 7 7 7 7 7",
    "V: 1 D:\n\n-3.5e38 7 7 7 7 7 7 7",
    "V: 1 D:\n\n1e-50 -1e-50 1e-45 7e-46 7.1e-46 6 7 8",
    "V: 1 D:\n\n1.5e 5 5 5 5 5 5 5",
    "V: 1 D:\n\n1e+ 5 5 5 5 5 5 5",
    "V: 1 D:\n\ninf 5 5 5 5 5 5 5",
    "V: 1 D:\n\nnan 5 5 5 5 5 5 5",
    "V: 1 D:\n\n0x10 5 5 5 5 5 5 5",
    "V: 1 D:\n\n0X1p3 5 5 5 5 5 5 5",
    "V: 1 D:\n\n1-2+3.5.5 1e5.5 0x10 9",
    "V: 1 D:\n\n1 2 3 4 5 6 7 8",
    "V: 1 D:\n\n1 2 3 4 5 6 7 8\x1a",
    "V: 1 D:\n\n1 2 3 4 5 6 7 8e",
    "V: 1 D:\n\n1 2 3 4 5 6 7 1e\x1a" "5",
    "V: 2 D:\n\n1-2-3-4-5-6-7-8-1-2-3-4-5-6-7-8",
    "V: 2 D:\n\n1-2-3-4-5-6-7-8-1-2-3-4-5-6-7-",
    "V: 2 D:\n\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8",
    "V: 2 D:\n\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n",
    "V: 2000000000 D:\n\n1 2 3 4 5 6 7 8",
    "V: -1 D:\n\n1 2 3 4 5 6 7 8",
    "V: + D:\n\n",
    "V: 99999999999 D:\n\n",
    "V: 4294967297 D:\n\n1 2 3 4 5 6 7 8",
    "V: 1 D",
    "V",
    "",
    "\x1a:1:\n\n",
    "V: 1 D:\n\n16777217 16777219 0.1 16777217.000000001 3.4028235e38 1.17549435e-38 1.4e-45 "
    "123456789012345678901234567890",
    "V: 1 D:\n\n340282356779733661637539395458142568448 7 7 7 7 7 7 7",
    "V: 1 D:\n\n340282356779733661637539395458142568447 7 7 7 7 7 7 7",
    "V: 1 D:\n\n0e99999999999999999999 1e99999999999999999999 7 7 7 7 7 7",
    "V: 1 D:\n\n1e-99999999999999999999 -0e-5 7 7 7 7 7 7",
    "V: 1 D:\n\n000012.50 +.25 1,5 9 9 9",
    "V: 1 D:\n\n18446744073709551617 1844674407370955161.7e1 .18446744073709551617e20 9999999999999999999 "
    "10000000000000000000 0.0000000000000000001 100000000000000000000e-20 9",
    "V: 1 D:\n\n1\xa0" "2 3 4 5 6 7 8 9",
    "V: 2 D:\n\n1234567 123456.7 .1234567 -1234567. 12345678 1234567.8 16777217 0.0000000\n"
    "-9999999 +0000001 0000000.1 9.999999e0 -.0000001 1.5E1 0.1234567 2.5e\n",
    std::string(NulText, sizeof NulText - 1),
};

std::string Printable(const std::string& text)
{
    std::string out;
    for (char c : text.substr(0, 600))
    {
        if (c >= 32 && c < 127)
        {
            out += c;
        }
        else
        {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
            out += escaped;
        }
    }
    return out;
}

// Reads the text as a file both ways, and from memory; returns the first disagreement.
std::string Compare(const std::string& text)
{
    static const TempFolder folder;
    const std::string file = folder.Write("model.txt", text).string();
    const ModelReadResult expected = ModelReadResult::ReadReference(file.c_str());
    const std::string difference = ModelReadResult::Difference(expected, ModelReadResult::ReadFile(file.c_str()));
    if (!difference.empty())
        return "ReadFile: " + difference;
    return ModelReadResult::Difference(expected, ModelReadResult::Parse(text));
}
}

TEST(ReaderMatchesStream, EdgeCases)
{
    for (const std::string& text : EdgeCases)
        EXPECT_EQ(Compare(text), "") << Printable(text);
}

TEST(ReaderMatchesStream, RandomFiles)
{
    RandomModelText random(1);
    for (int i = 0; i < 400; ++i)
    {
        const std::string text = random.File(12);
        ASSERT_EQ(Compare(text), "") << "file " << i << ": " << Printable(text);
    }
}

TEST(ReaderMatchesStream, RandomCorruptedFiles)
{
    RandomModelText random(2);
    for (int i = 0; i < 1200; ++i)
    {
        const std::string text = random.Corrupt(i % 3 == 0 ? random.PlainFile(1 + i % 5) : random.File(8));
        ASSERT_EQ(Compare(text), "") << "file " << i << ": " << Printable(text);
    }
}

TEST(ReaderMatchesStream, ManyNumbersInEverySpelling)
{
    // Well-formed headers, so the numbers themselves decide everything.
    RandomModelText random(3);
    for (int i = 0; i < 150; ++i)
    {
        std::string text = "Vertex Count: 40\n\nData:\n\n";
        for (int f = 0; f < 320; ++f)
            text += random.Number() + (f % 8 == 7 ? "\n" : " ");
        ASSERT_EQ(Compare(text), "") << "file " << i << ": " << Printable(text);
    }
}

TEST(TextModeStream, DeliversWhatTheReferenceAssumes)
{
#ifndef _WIN32
    GTEST_SKIP() << "only a Windows text-mode stream can show what it delivers";
#else
    // Bytes rich in CR, LF, NUL and Ctrl-Z, some long enough to cross the
    // stream's buffer boundaries at every offset.
    RandomModelText random(7);
    const char alphabet[] = {'\r', '\n', '\r', '\n', '\0', 'a', ' ', ':', '1'};
    std::mt19937 bytes(8);
    for (int i = 0; i < 60; ++i)
    {
        std::string text;
        const std::size_t length = i < 40 ? bytes() % 64 : 2000 + bytes() % 3000;
        for (std::size_t n = 0; n < length; ++n)
            text += alphabet[bytes() % sizeof alphabet];
        if (i % 4 == 0)
            text.insert(bytes() % (text.size() + 1), 1, '\x1a');
        TempFolder folder;
        std::ifstream in(folder.Write("model.txt", text));
        const std::string delivered((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(delivered, StreamReference::TextModeText(text)) << Printable(text);
    }
#endif
}
