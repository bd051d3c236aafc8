#pragma once
#include "Image.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct aiScene;
struct aiTexture;

// One image a material names: inside the model file or in a file beside it.
class ImageSource
{
public:
    // Looks the name up among the scene's embedded images, then as a file
    // from the model's folder. Files made on Windows name their images with
    // backslashes, in any case, from the root of a drive, and often in a
    // folder they no longer are in: each part of the path is matched in any
    // case, a path from the root is also taken from the model's folder, as
    // is Blender's "//", and the file name alone in the model's folder is
    // tried last.
    ImageSource(const aiScene& scene, const std::filesystem::path& modelFolder, const std::string& name);

    bool Found() const { return embedded != nullptr || !file.empty(); }
    // The same for every name that leads to the same image.
    const std::string& Key() const { return key; }
    // The name as the model gives it.
    const std::string& Name() const { return name; }

    // False, with the cause in why, for bytes that are no image the
    // converter reads or an image larger than it takes.
    bool ReadSize(int& width, int& height, std::string& why) const;
    bool Decode(Image& image, std::string& why) const;

private:
    bool Load(std::vector<std::uint8_t>& bytes, std::string& why) const;
    static std::filesystem::path FindFile(const std::filesystem::path& folder, std::string name);
    static std::filesystem::path FindInAnyCase(const std::filesystem::path& path);
    static std::filesystem::path FindInFolder(const std::filesystem::path& folder, const std::filesystem::path& fileName);

    const aiTexture* embedded = nullptr;
    std::filesystem::path file;
    std::string key;
    std::string name;
};
