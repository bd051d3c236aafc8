#pragma once
#include "MaterialBaker.h"

#include <cstdint>
#include <string>

// The part of the converter's summary line that tells what the texture holds.
class BakeSummary
{
public:
    static std::string Line(const std::string& texture, std::uint32_t width, std::uint32_t height,
                            const MaterialBaker::Report& report);
};
