// The model file as the converter writes it: Engine's reader gets back every
// float bit for bit, whatever the threads that format it.
#include "ConverterTestSupport.h"
#include "ModelFileWriter.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

// Every kind of float in its shortest text comes back bit for bit through
// Engine's reader; the new file replaces the old one whole.
TEST(ConverterRoundTrip, TheReaderGetsBackEveryFloatBitForBit)
{
    using limits = std::numeric_limits<float>;
    std::vector<float> values = {0.0f, -0.0f, 1.0f, 0.1f, 1.0f / 3, 16777218.0f, 1e-7f, limits::min(),
                                 limits::denorm_min(), 3 * limits::denorm_min(), limits::max(), -limits::max(),
                                 std::nextafter(1.0f, 2.0f), 9.99999944e-11f, 0.30000001f, -123456.79f};
    std::mt19937 random(20240611);
    while (values.size() < 8 * 300000) // chunks on several threads, in several batches
    {
        const std::uint32_t bits = static_cast<std::uint32_t>(random());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            values.push_back(value);
    }
    std::vector<ModelVertex> vertices(values.size() / 8);
    std::memcpy(vertices.data(), values.data(), values.size() * sizeof(float));

    TempFolder folder;
    Write(folder.Path("model.txt"), std::string(1000000, 'x'));
    std::string error;
    ASSERT_TRUE(ModelFileWriter::Write(folder.Path("model.txt"), vertices, error)) << error;
    EXPECT_EQ(Names(folder.Path()), std::vector<std::string>{"model.txt"});
    EXPECT_EQ(Read(folder.Path("model.txt")).rfind("Vertex Count: 300000\n\nData:\n\n", 0), 0u);
    const std::vector<ModelVertex> read = ReadModel(folder.Path("model.txt"));
    ASSERT_EQ(read.size(), vertices.size());
    EXPECT_EQ(std::memcmp(read.data(), vertices.data(), values.size() * sizeof(float)), 0);
}

// The text as one thread writes it with std::to_chars, line by line, for
// vertices that repeat whole, repeat some numbers, differ only in the sign of
// a zero or in their last number, or are all new, over a count that ends
// mid-chunk; and a write that
// fails midway, while the threads format ahead, is reported.
TEST(ConverterRoundTrip, ChunksFormattedOnThreadsGiveTheBytesOfOneThread)
{
    std::mt19937 random(7);
    const auto any = [&random] {
        float value;
        do
        {
            const std::uint32_t bits = static_cast<std::uint32_t>(random());
            std::memcpy(&value, &bits, sizeof value);
        } while (!std::isfinite(value));
        return value;
    };
    std::vector<ModelVertex> vertices(5 * ModelFileWriter::VerticesPerChunk + 123);
    for (std::size_t k = 0; k < vertices.size(); ++k)
    {
        ModelVertex& v = vertices[k];
        switch (k % 5)
        {
        case 0: v = {any(), any(), any(), any(), any(), any(), any(), any()}; break;
        case 1: v = vertices[k - 1 - random() % std::min<std::size_t>(k, 5000)]; break;
        case 2: v = {vertices[k - 2].x, any(), 0.5f, vertices[k - 1].tv, any(), 0.0f, -0.0f, 1.0f}; break;
        case 3: v = vertices[k - 1]; v.nx = -v.nx; v.ny = -v.ny; break;
        default: v = vertices[0]; v.nz = float(random() % 3000); break; // the same but for the last number
        }
    }
    std::string expected = "Vertex Count: " + std::to_string(vertices.size()) + "\n\nData:\n\n";
    for (const ModelVertex& v : vertices)
    {
        const float fields[8] = {v.x, v.y, v.z, v.tu, v.tv, v.nx, v.ny, v.nz};
        for (int i = 0; i < 8; ++i)
        {
            char text[32];
            expected.append(text, std::to_chars(text, text + sizeof text, fields[i]).ptr);
            expected += i < 7 ? ' ' : '\n';
        }
    }

    TempFolder folder;
    std::FILE* file = std::fopen(folder.Path("model.txt").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const bool written = ModelFileWriter::Write(file, vertices);
    EXPECT_EQ(std::fclose(file), 0);
    ASSERT_TRUE(written);
    EXPECT_TRUE(Read(folder.Path("model.txt")) == expected) << "not the bytes one thread writes";

    std::FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    EXPECT_FALSE(ModelFileWriter::Write(full, vertices));
    std::fclose(full);
}
