#include "ImageSource.h"

#include "ImageDecoder.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
// Larger image files are refused unread: no texture needs them.
const std::uintmax_t MaxFileBytes = std::uintmax_t(256) << 20;
// A folder is searched this far for a name in another case.
const int MaxEntriesSearched = 100000;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool IsFile(const fs::path& path)
{
    std::error_code code;
    return fs::is_regular_file(path, code);
}
}

ImageSource::ImageSource(const aiScene& scene, const fs::path& modelFolder, const std::string& name) : name(name)
{
    embedded = scene.GetEmbeddedTexture(name.c_str());
    if (embedded != nullptr)
    {
        const auto end = scene.mTextures + scene.mNumTextures;
        key = "*" + std::to_string(std::find(scene.mTextures, end, embedded) - scene.mTextures);
        return;
    }
    if (!name.empty() && name.front() != '*')
        file = FindFile(modelFolder, name);
    key = file.string();
}

// Blender writes "//" for the folder of the .blend file. A path from the
// root ("\..\maps\x.jpg") is a Windows tool's, from the root of a drive
// the model was made on: from this machine's root, then from the model's
// folder. Last, the file name alone in the model's folder.
fs::path ImageSource::FindFile(const fs::path& folder, std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    const bool besideModel = name.rfind("//", 0) == 0;
    const std::string fromRoot = name.substr(std::min(name.find_first_not_of('/'), name.size()));
    std::vector<fs::path> tries;
    if (!besideModel && fs::path(name).is_absolute())
        tries.push_back(fs::path(name).lexically_normal());
    if (besideModel || fs::path(name).is_absolute())
        tries.push_back((folder / fromRoot).lexically_normal());
    else
        tries.push_back((folder / name).lexically_normal());
    for (const fs::path& path : tries)
    {
        const fs::path found = FindInAnyCase(path);
        if (!found.empty())
            return found;
    }
    const fs::path found = FindInFolder(folder, fs::path(fromRoot).filename());
    return IsFile(found) ? found : fs::path();
}

// The path as it is, else each folder of the way, then the file, in any case.
fs::path ImageSource::FindInAnyCase(const fs::path& path)
{
    if (IsFile(path))
        return path;
    fs::path found = path.root_path();
    for (const fs::path& part : path.relative_path())
    {
        const fs::path exact = found / part;
        std::error_code code;
        found = fs::exists(exact, code) ? exact : FindInFolder(found, part);
        if (found.empty())
            return {};
    }
    return IsFile(found) ? found : fs::path();
}

fs::path ImageSource::FindInFolder(const fs::path& folder, const fs::path& fileName)
{
    const std::string wanted = Lower(fileName.string());
    std::error_code code;
    int searched = 0;
    for (fs::directory_iterator entry(folder, code), end; !code && entry != end && searched < MaxEntriesSearched;
         entry.increment(code), ++searched)
        if (Lower(entry->path().filename().string()) == wanted)
            return entry->path();
    return {};
}

bool ImageSource::Load(std::vector<std::uint8_t>& bytes, std::string& why) const
{
    std::error_code code;
    const std::uintmax_t size = fs::file_size(file, code);
    if (code || size > MaxFileBytes)
    {
        why = code ? code.message() : "larger than the converter takes";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::ifstream stream(file, std::ios::binary);
    if (!stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    {
        why = "cannot read it";
        return false;
    }
    return true;
}

bool ImageSource::ReadSize(int& width, int& height, std::string& why) const
{
    if (embedded != nullptr && embedded->mHeight > 0)
    {
        width = static_cast<int>(std::min(embedded->mWidth, 1u << 30));
        height = static_cast<int>(std::min(embedded->mHeight, 1u << 30));
        return ImageDecoder::WithinCaps(width, height, why);
    }
    if (embedded != nullptr)
        return ImageDecoder::ReadSize(reinterpret_cast<const std::uint8_t*>(embedded->pcData), embedded->mWidth, width,
                                      height, why);
    std::vector<std::uint8_t> bytes;
    return Load(bytes, why) && ImageDecoder::ReadSize(bytes.data(), bytes.size(), width, height, why);
}

bool ImageSource::Decode(Image& image, std::string& why) const
{
    if (embedded != nullptr && embedded->mHeight > 0)
        return ImageDecoder::FromBgra(reinterpret_cast<const std::uint8_t*>(embedded->pcData),
                                      static_cast<int>(std::min(embedded->mWidth, 1u << 30)),
                                      static_cast<int>(std::min(embedded->mHeight, 1u << 30)), image, why);
    if (embedded != nullptr)
        return ImageDecoder::Decode(reinterpret_cast<const std::uint8_t*>(embedded->pcData), embedded->mWidth, image,
                                    why);
    std::vector<std::uint8_t> bytes;
    return Load(bytes, why) && ImageDecoder::Decode(bytes.data(), bytes.size(), image, why);
}
