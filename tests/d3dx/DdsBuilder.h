#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Writes DDS files byte by byte, the way other tools lay them out, so tests
// can make any header, valid or not.
class DdsBuilder
{
public:
    static DdsBuilder FourCC(uint32_t code);
    static DdsBuilder FourCC(const char (&code)[5]);
    static DdsBuilder Masks(uint32_t flags, uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a);
    static DdsBuilder Dx10(uint32_t dxgiFormat);

    DdsBuilder& Size(uint32_t width, uint32_t height);
    DdsBuilder& Mips(uint32_t count);
    DdsBuilder& Caps2(uint32_t caps2);
    // The depth field, with the flag that says it is set.
    DdsBuilder& Depth(uint32_t depth);
    DdsBuilder& Extended(uint32_t dimension, uint32_t miscFlag, uint32_t arraySize);

    // Header followed by the payload.
    std::vector<uint8_t> Build(const std::vector<uint8_t>& payload) const;
    std::vector<uint8_t> Build() const { return Build({}); }

    static const uint32_t PfAlphaPixels = 0x1;
    static const uint32_t PfAlpha = 0x2;
    static const uint32_t PfFourCC = 0x4;
    static const uint32_t PfPalette8 = 0x20;
    static const uint32_t PfRgb = 0x40;
    static const uint32_t PfLuminance = 0x20000;
    static const uint32_t Caps2Cube = 0xFE00;   // the cube-map bit and all six faces
    static const uint32_t Caps2Volume = 0x200000;

    // Little-endian field access for tests that spoil a header.
    static void Put32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);

private:
    uint32_t width = 4;
    uint32_t height = 4;
    uint32_t mips = 1;
    uint32_t caps2 = 0;
    uint32_t depth = 0;
    uint32_t pfFlags = 0;
    uint32_t fourCC = 0;
    uint32_t bitCount = 0;
    uint32_t masks[4] = {};
    bool dx10 = false;
    uint32_t dxgiFormat = 0;
    uint32_t dimension = 3;
    uint32_t miscFlag = 0;
    uint32_t arraySize = 1;
};

// Deterministic pseudo-random bytes for texel payloads.
std::vector<uint8_t> PatternBytes(size_t count, uint32_t seed);

// Files a reader must refuse, each for one reason (all else being enough).
struct RefusedDds
{
    const char* why;
    std::vector<uint8_t> bytes;
};
std::vector<RefusedDds> RefusedDdsFiles();
