#include "BakeSummary.h"

namespace
{
std::string Count(int count, const std::string& one, const std::string& many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string List(const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries)
        text += (text.empty() ? "" : ", ") + entry;
    return text;
}
}

std::string BakeSummary::Line(const std::string& texture, std::uint32_t width, std::uint32_t height,
                              const MaterialBaker::Report& report)
{
    std::string line = "texture " + texture + ", " + std::to_string(width) + " x " + std::to_string(height) + ": ";
    if (report.imageAlone)
        line += "the image alone, texture coordinates as they are";
    else
    {
        std::string kinds;
        if (report.images > 0)
            kinds += Count(report.images, "image", "images");
        if (report.colours > 0)
            kinds += (kinds.empty() ? "" : ", ") + Count(report.colours, "colour", "colours");
        if (report.palettes > 0)
            kinds += (kinds.empty() ? "" : ", ") + std::string("vertex colours");
        line += Count(report.images + report.colours + report.palettes, "tile", "tiles") + " (" + kinds + ")";
    }
    if (!report.meanColoured.empty())
        line += "; their image's mean colour for " + List(report.meanColoured) +
                " (texture coordinates outside 0 to 1)";
    if (!report.missing.empty())
        line += "; missing: " + List(report.missing);
    if (!report.unreadable.empty())
        line += "; unreadable: " + List(report.unreadable);
    return line;
}
