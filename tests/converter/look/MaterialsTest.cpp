// Every material a model's triangles use is baked into one texture, each in
// a tile of its own, and shows there as Engine samples it at every level.
#include "ConverterTestSupport.h"
#include "ColourFactor.h"
#include "DdsBuilder.h"
#include "TextureAtlas.h"
#include "TilePacker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace
{
using namespace std::string_view_literals;

const char* const RightBlue = "newmtl right\nKd 0 0 1\n";

// What a triangle shows: a colour tile (4 x 4 of one colour); a palette
// texel within step of a colour; or an image, side x side texels (after the
// material's colour), on a tile of tileSide.
struct Look
{
    Look(int r = 0, int g = 0, int b = 0, int a = 255, int step = 0) : colour{r, g, b, a}, step(step) {}
    Look(TexelOf image, int side, std::uint32_t tileSide) : image(image), side(side), tileSide(tileSide) {}

    Texel colour = {};
    int step = 0;
    TexelOf image = nullptr;
    int side = 0;
    std::uint32_t tileSide = 0;
};

// The lowest and highest of each channel among the image's texels that a
// sample at (u, v) of the image may take from. Bilinear on level L, it reads
// texels whose centres lie within one of its own, 1.5 x 2^L top-level texels,
// and the blend reaches level L + 1; an image scaled into its tile also
// takes from the filter's reach, two texels of the smaller image.
std::array<Texel, 2> Reachable(const Look& look, double u, double v, double lod, double regionSide)
{
    const double scale = look.side / regionSide, scaled = std::lround(regionSide) == look.side ? 0 : 2 * std::max(1.0, scale);
    const double reach = 1.5 * std::exp2(std::ceil(lod)) * scale + scaled;
    const auto index = [&](double at) { return std::clamp(int(std::floor(at * look.side)), 0, look.side - 1); };
    std::array<Texel, 2> range = {Texel{255, 255, 255, 255}, Texel{0, 0, 0, 255}};
    for (int y = index(v - reach / look.side); y <= index(v + reach / look.side); ++y)
        for (int x = index(u - reach / look.side); x <= index(u + reach / look.side); ++x)
            for (int c = 0; c < 3; ++c)
            {
                range[0][c] = std::min(range[0][c], look.image(x, y)[c]);
                range[1][c] = std::max(range[1][c], look.image(x, y)[c]);
            }
    return range;
}

// Engine's sampler at a triangle's corners and centre. A colour tile gives
// its colour exactly on every level down to its 1 x 1 and between them; a
// palette texel its colour on the top level. An image tile, on every level
// where it is at least 16 texels wide and halfway to the next, gives what
// the image's texels around that spot may give, within one step: rounding
// against the hand calculation, and the scaling filter's overshoot, which
// these smooth images keep below it. Always opaque, so nothing of the
// texture's empty texels. An image's (u, v) at a point is x less its quad's
// left edge, and 1 - y. False after the first sample that fails.
bool ExpectShows(const ModelVertex* triangle, const Look& look, const Texture& texture)
{
    ModelVertex centre{};
    for (int k = 0; k < 3; ++k)
        for (float ModelVertex::*field : {&ModelVertex::x, &ModelVertex::y, &ModelVertex::tu, &ModelVertex::tv})
            centre.*field += triangle[k].*field / 3;
    const auto [low, high] = std::minmax({triangle[0].tu, triangle[1].tu, triangle[2].tu});
    // Its own size, or 7/8 of its tile: a margin of 1/16 (a texel at least) on each side.
    if (look.image)
    {
        EXPECT_EQ(std::lround((high - low) * texture.width), std::min(look.side, int(look.tileSide) - 2 * std::max(1, int(look.tileSide) / 16)));
    }
    const double lastLod = look.image ? std::log2(look.tileSide / 16.0) + 0.5 : look.step ? 0 : 2;
    for (const ModelVertex* point : {triangle, triangle + 1, triangle + 2, static_cast<const ModelVertex*>(&centre)})
        for (double lod = 0; lod <= lastLod; lod += 0.5)
        {
            const std::array<Texel, 2> range = look.image ? Reachable(look, point->x - (point->x < 0 ? -2 : 1), 1 - point->y, lod,
                                                                      (high - low) * texture.width)
                                                          : std::array<Texel, 2>{look.colour, look.colour};
            const double slack = look.image ? 1 : std::max(0, look.step - 1) + 1e-9;
            const std::array<double, 4> seen = texture.Sample(point->tu, point->tv, lod);
            for (int c = 0; c < 4; ++c)
                if (seen[c] < range[0][c] - slack || seen[c] > range[1][c] + slack)
                {
                    ADD_FAILURE() << "at (" << point->x << ", " << point->y << "), level of detail " << lod << ", channel " << c
                                  << ": " << seen[c] << ", not " << range[0][c] << " to " << range[1][c];
                    return false;
                }
        }
    return true;
}

// Smooth images, their blues far apart, each changing along both axes.
Texel Rising(int x, int y) { return {4 * x, 4 * y, 32, 255}; }
Texel Falling(int x, int y) { return {255 - 4 * y, 128, 200 + x / 2, 255}; }
Texel Mixed(int x, int y) { return {(8 * y + x) * 4, 255 - (8 * y + x) * 3, x * 30, 255}; }
// OliveNamed's image, (10, 200, 30), times its colour.
Texel Olive(int, int) { return {10, 100, 30, 255}; }

// Its corners are its colour less one red step, itself and one more: over
// 2^20 distinct means, more than a 1024 x 1024 palette holds; 7 bits a
// channel hold them (128 x 128 x 9), a step of 2.
Look PaletteLook(double x) { return {int(1 + std::size_t(x) % 254), int(std::size_t(x) / 254 % 256), int(std::size_t(x) / 254 / 256), 255, 2}; }

// A 4 x 4 olive image in Maps/ (file: ImageMagick's format by its
// extension) on the left quad, named as given, times the colour (1, 0.5, 1).
void OliveNamed(const TempFolder& f, const std::string& name, const std::string& file = "olive.png")
{
    fs::create_directory(f.Path("Maps"));
    ASSERT_EQ(std::system(("convert -size 4x4 xc:'rgb(10,200,30)' '" + f.Path("Maps/" + file).string() + "'").c_str()), 0);
    Write(f.Path("m.obj"), TwoQuadsObj(true));
    Write(f.Path("two.mtl"), "newmtl left\nKd 1 0.5 1\nmap_Kd " + name + "\n" + RightBlue);
}

// An image ImageMagick wrote at build time, spoilt at at when asked.
std::string Magick(const std::string& file, std::size_t at = 0, std::string_view with = {})
{
    return Read(MagickTexture(file)).replace(at, with.size(), with);
}

// The left material names an image of these bytes, which cannot be read.
void Unreadable(const TempFolder& f, const std::string& name, const std::string& bytes)
{
    Write(f.Path(name), bytes);
    Write(f.Path("m.obj"), TwoQuadsObj());
    Write(f.Path("two.mtl"), "newmtl left\nKd 1 0 0\nmap_Kd " + name + "\n" + RightBlue);
}

struct MaterialCase
{
    const char* name;
    void (*writeInput)(const TempFolder&);
    const char* summary;
    Look left, right;
    const char* input = "m.obj";
    Look (*lookAt)(double x) = nullptr; // instead of left and right, by the triangle's centre
};

const MaterialCase MaterialCases[] = {
    {"two flat colours",
     [](const TempFolder& f) {
         Write(f.Path("m.obj"), TwoQuadsObj());
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 0 0\n" + std::string(RightBlue));
     },
     "8 x 4: 2 tiles (2 colours)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    // Windows tools write backslashes, another case, paths from the root of
    // the drive the model was made on; Blender "//" for the file's folder.
    // An image's tile is 16 x 16 at least, a colour's 4 x 4: 32 x 16 holds them.
    {"an image named the Windows way, in another case, times the colour",
     [](const TempFolder& f) { OliveNamed(f, ".\\maps\\OLIVE.png"); }, "32 x 16: 2 tiles (1 image, 1 colour)",
     {Olive, 4, 16}, {0, 0, 255, 255}},
    {"a JPEG image named from the root, up a folder and down again",
     [](const TempFolder& f) { OliveNamed(f, "\\..\\" + f.Path().filename().string() + "\\maps\\OLIVE.jpg", "olive.jpg"); },
     "2 tiles (1 image, 1 colour)", {Olive, 4, 16}, {0, 0, 255, 255}},
    {"a GIF image named from Blender's folder of the file", [](const TempFolder& f) { OliveNamed(f, "//Maps/olive.gif", "olive.gif"); },
     "2 tiles (1 image, 1 colour)", {Olive, 4, 16}, {0, 0, 255, 255}},
    {"an image repeated beside a colour gives its mean colour",
     [](const TempFolder& f) {
         MagickImage(f, "four.png", "-size 1x1 xc:red xc:blue +append \\( xc:white xc:black +append \\) -append");
         Write(f.Path("m.obj"), TwoQuadsObj(true, -1, 2));
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 1 1\nmap_Kd four.png\n" + std::string(RightBlue));
     },
     "their image's mean colour for left (texture coordinates outside 0 to 1)", {128, 64, 128, 255}, {0, 0, 255, 255}},
    {"a missing and an unreadable image give way to the colour",
     [](const TempFolder& f) {
         Write(f.Path("junk.png"), "\x89PNG not really");
         Write(f.Path("m.obj"), TwoQuadsObj());
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 0 0\nmap_Kd gone.png\nnewmtl right\nKd 0 0 1\nmap_Kd junk.png\n");
     },
     "missing: gone.png; unreadable: junk.png (not an image the converter reads)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    // SGI rows lie where a table of offsets and lengths says, which the
    // damaged file lets point anywhere.
    {"an SGI file cut short", [](const TempFolder& f) { Unreadable(f, "cut.rgb", Magick("plain8-rgb.sgi").substr(0, 700)); },
     "unreadable: cut.rgb (an SGI file cut short)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    {"an SGI run-length row past the end of the file",
     [](const TempFolder& f) { Unreadable(f, "past.rgb", Magick("rle8-rgb.rgb", 512 + 4 * 20, "\0\0\x04\0"sv)); },
     "unreadable: past.rgb (an SGI run-length table pointing past the end of the file)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    {"an SGI image 0 texels wide", [](const TempFolder& f) { Unreadable(f, "empty.bw", Magick("rle8-grey.bw", 6, "\0\0"sv)); },
     "unreadable: empty.bw (no texels)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    {"an SGI image of 7 channels", [](const TempFolder& f) { Unreadable(f, "seven.rgba", Magick("rle8-rgba.rgba", 10, "\0\7"sv)); },
     "unreadable: seven.rgba (an SGI image of 7 channels, not 1 to 4)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    {"a DDS file cut short", [](const TempFolder& f) { Unreadable(f, "cut.dds", Magick("dxt1.dds").substr(0, 150)); },
     "unreadable: cut.dds (a DDS file cut short, damaged, or of a shape or format no texture takes)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    {"a DDS file of BC7 blocks",
     [](const TempFolder& f) {
         const std::vector<std::uint8_t> bc7 = DdsBuilder::Dx10(98).Build(std::vector<std::uint8_t>(16));
         Unreadable(f, "bc7.dds", std::string(bc7.begin(), bc7.end()));
     },
     "unreadable: bc7.dds (DDS of DXGI format 98, BC7 blocks, which no library the converter uses decodes)", {255, 0, 0, 255}, {0, 0, 255, 255}},
    {"two images edge to edge, their tiles on the texture's edges",
     [](const TempFolder& f) {
         PngOf(f, "rising.png", 64, Rising);
         PngOf(f, "falling.png", 64, Falling);
         Write(f.Path("m.obj"), TwoQuadsObj(true));
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 1 1\nmap_Kd rising.png\nnewmtl right\nKd 1 1 1\nmap_Kd falling.png\n");
     },
     "128 x 64: 2 tiles (2 images)", {Rising, 64, 64}, {Falling, 64, 64}},
    // Both store their rows from the bottom. ImageMagick 6 marks its TGA
    // rows so whatever their order: flipped first, they are as TGA readers
    // (its own -auto-orient too) show them.
    {"TGA and BMP images, the right way up",
     [](const TempFolder& f) {
         PngOf(f, "rising.tga", 64, Rising, "-flip tga");
         PngOf(f, "falling.bmp", 64, Falling, "bmp3");
         Write(f.Path("m.obj"), TwoQuadsObj(true));
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 1 1\nmap_Kd rising.tga\nnewmtl right\nKd 1 1 1\nmap_Kd falling.bmp\n");
     },
     "128 x 64: 2 tiles (2 images)", {Rising, 64, 64}, {Falling, 64, 64}},
    // stb_image would read them, but the converter takes neither.
    {"HDR and PNM images give way to the colour",
     [](const TempFolder& f) {
         MagickImage(f, "lime.png", "-size 4x4 xc:lime");
         ASSERT_EQ(std::system(("cd '" + f.Path().string() + "' && convert lime.png lime.hdr && convert lime.png lime.ppm").c_str()), 0);
         Write(f.Path("m.obj"), TwoQuadsObj(true));
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 0 0\nmap_Kd lime.hdr\nnewmtl right\nKd 0 0 1\nmap_Kd lime.ppm\n");
     },
     "unreadable: lime.hdr (not an image the converter reads), lime.ppm (not an image the converter reads)", {255, 0, 0, 255},
     {0, 0, 255, 255}},
    // Headers alone (signature, IHDR, no CRC checked): 16385 texels wide; 8193
    // x 8193, more than 67,108,864 texels in all.
    {"images beyond the caps give way to the colour",
     [](const TempFolder& f) {
         for (const auto& [name, width, height] : {std::tuple("wide.png", 16385u, 1u), std::tuple("big.png", 8193u, 8193u)})
         {
             std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
             for (const std::uint32_t value : {width, height})
                 png += {char(value >> 24), char(value >> 16 & 255), char(value >> 8 & 255), char(value & 255)};
             Write(f.Path(name), png + std::string("\x08\x02\0\0\0\0\0\0\0", 9));
         }
         Write(f.Path("m.obj"), TwoQuadsObj(true));
         Write(f.Path("two.mtl"), "newmtl left\nKd 1 0 0\nmap_Kd wide.png\nnewmtl right\nKd 0 0 1\nmap_Kd big.png\n");
     },
     "unreadable: wide.png (not an image the converter reads), big.png (8193 x 8193, larger than the converter takes)",
     {255, 0, 0, 255}, {0, 0, 255, 255}},
    // Assimp hands an image of a data URI over as one inside the file.
    {"glTF: an image inside the file beside a colour",
     [](const TempFolder& f) {
         PngOf(f, "i.png", 8, Mixed);
         const std::string png = Shell("base64 -w0 '" + f.Path("i.png").string() + "'");
         fs::remove(f.Path("i.png"));
         WriteGltfSides(f, {{R"({"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}})", true},
                            {R"({"pbrMetallicRoughness":{"baseColorFactor":[0,1,0,1]}})"}},
                        R"(,"textures":[{"source":0}],"images":[{"uri":"data:image/png;base64,)" + png + "\"}]");
     },
     "2 tiles (1 image, 1 colour)", {Mixed, 8, 16}, {0, 255, 0, 255}, "m.gltf"},
    // 2CylinderEngine.glb's Material_23 and Material_22, as glTF viewers show them.
    {"glTF: linear colour factors encoded for the screen",
     [](const TempFolder& f) {
         WriteGltfSides(f, {{R"({"pbrMetallicRoughness":{"baseColorFactor":[0,0.561,0.85,1]}})"},
                            {R"({"pbrMetallicRoughness":{"baseColorFactor":[0,0.425,0.425,1]}})"}});
     },
     "2 tiles (2 colours)", {0, 197, 237, 255}, {0, 174, 174, 255}, "m.gltf"},
    // (200, 100, 50) times (0.5, 1, 0.25) in linear light, encoded again;
    // (0.5, 0.2, 0.05) encoded.
    {"glTF: an image times its factor in linear light",
     [](const TempFolder& f) {
         MagickImage(f, "flat.png", "-size 4x4 xc:'rgb(200,100,50)'");
         WriteGltfSides(f, {{R"({"pbrMetallicRoughness":{"baseColorTexture":{"index":0},"baseColorFactor":[0.5,1,0.25,1]}})", true},
                            {R"({"pbrMetallicRoughness":{"baseColorFactor":[0.5,0.2,0.05,1]}})"}},
                        R"(,"textures":[{"source":0}],"images":[{"uri":"flat.png"}])");
     },
     "2 tiles (1 image, 1 colour)", {[](int, int) { return Texel{146, 100, 22, 255}; }, 4, 16}, {188, 124, 63, 255}, "m.gltf"},
    {"PLY vertex colours: each triangle the mean of its corners",
     [](const TempFolder& f) {
         WritePly(f, 2, [](std::size_t t, int k, float* p, std::uint8_t* rgb) {
             const std::uint8_t colours[2][3][3] = {{{255, 0, 0}, {255, 0, 0}, {0, 0, 255}}, {{30, 60, 90}, {60, 90, 120}, {90, 120, 150}}};
             std::copy(colours[t][k], colours[t][k] + 3, rgb);
             p[0] = (t == 0 ? -2.0f : 1.0f) + float(k == 1);
             p[1] = float(k == 2);
             p[2] = 0;
         });
     },
     "1 tile (vertex colours)", {170, 0, 85, 255, 1}, {60, 90, 120, 255, 1}, "m.ply"},
    {"glTF vertex colours: the mean of the corners in linear light, encoded",
     [](const TempFolder& f) { WriteGltfSides(f, {{"", false, {1, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0}, 1}}); },
     "1 mesh, 1 triangle, 3 vertices", {213, 0, 156, 255, 1}, {}, "m.gltf"},
    {"more vertex colours than the palette holds",
     [](const TempFolder& f) {
         WritePly(f, 1100000, [](std::size_t t, int k, float* p, std::uint8_t* rgb) {
             const Texel mean = PaletteLook(double(t)).colour;
             for (int c = 0; c < 3; ++c)
                 rgb[c] = std::uint8_t(mean[c] + (c == 0 ? k - 1 : 0));
             p[0] = float(t) + (k == 1 ? 0.5f : 0.0f);
             p[1] = float(k == 2);
             p[2] = float(k == 1);
         });
     },
     "1 tile (vertex colours)", {}, {}, "m.ply", PaletteLook},
};
}

TEST(ConverterMaterials, EachMaterialShowsInItsOwnTileAtEveryLevel)
{
    for (const MaterialCase& row : MaterialCases)
    {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        row.writeInput(folder);
        const Outcome run = Convert(folder.Path(), {"--keep-size", "--flat-normals", folder.Path(row.input), folder.Path("m.txt")}, 120);
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_NE(run.out.find("; texture " + folder.Path("m.dds").string() + ", "), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(row.summary), std::string::npos) << run.out;
        const std::vector<ModelVertex> model = ReadModel(folder.Path("m.txt"));
        const Texture texture = ReadTexture(folder.Path("m.dds"));
        ASSERT_FALSE(model.empty() || texture.levels.empty());
        for (std::size_t t = 0; t < model.size(); t += 3)
        {
            const double x = (double(model[t].x) + model[t + 1].x + model[t + 2].x) / 3;
            if (!ExpectShows(&model[t], row.lookAt ? row.lookAt(x) : x < 0 ? row.left : row.right, texture))
                break;
        }
    }
}

namespace
{
std::string Bytes(const std::vector<std::uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// ImageMagick 6 writes 16-bit SGI images only as they are: a run-length one
// by hand, grey 5 x 3, a row of one run, one of literals and one of both;
// its largest value 65535, by which ImageMagick sizes a grey image's palette
// (and takes 65535 itself for an index past it).
std::string Sgi16RunLength()
{
    const std::vector<std::vector<std::uint16_t>> rows = {
        {0x05, 0x1234, 0}, {0x85, 0x0100, 0x4000, 0x8000, 0xC000, 0xFFFE, 0}, {0x02, 0x7F7F, 0x83, 0x0001, 0x00FF, 0xFF00, 0}};
    std::string bytes(512 + 24, '\0');
    const auto put = [&bytes](std::size_t at, std::uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at + i] = char(value >> (8 * (size - 1 - i)));
    };
    for (const auto& [at, value] : {std::pair{0, 474}, {2, 0x0102}, {4, 2}, {6, 5}, {8, 3}, {10, 1}, {18, 0xFFFF}})
        put(std::size_t(at), std::uint32_t(value), 2);
    for (std::size_t r = 0; r < rows.size(); ++r)
    {
        put(512 + 4 * r, std::uint32_t(bytes.size()), 4);
        put(512 + 12 + 4 * r, std::uint32_t(2 * rows[r].size()), 4);
        for (std::uint16_t value : rows[r])
            bytes += {char(value >> 8), char(value)};
    }
    return bytes;
}

// Half floats (0.5, 0, 1, 1) and (2, -1, not a number, 1): linear light,
// clamped and encoded for the screen.
std::string HalfFloats()
{
    const std::uint16_t halves[] = {0x3800, 0, 0x3C00, 0x3C00, 0x4000, 0xBC00, 0x7E00, 0x3C00};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(halves);
    return Bytes(DdsBuilder::FourCC(113).Size(2, 1).Build({bytes, bytes + sizeof halves}));
}

// A BC4 block between 200 and 40, its first texel 40 (index 1), the rest 200.
std::string Bc4()
{
    return Bytes(DdsBuilder::FourCC("ATI1").Size(4, 4).Build({200, 40, 1, 0, 0, 0, 0, 0}));
}

// An image, the one of a model and so the whole texture at its own size. Its
// top level is ImageMagick's decoding of it, made opaque, within step
// (ImageMagick truncates 16-bit values to 8 bits where the converter rounds),
// or the first texels by hand. The header bytes at at prove that ImageMagick
// wrote the variant the file's name says.
struct BakedImage
{
    const char* file;
    std::size_t at;
    std::string_view header;
    int step;
    std::string (*bytes)() = nullptr; // instead of ImageMagick's file
    std::vector<Texel> texels = {};
};

const BakedImage BakedImages[] = {
    {"rle8-grey.bw", 2, "\x01\x01\x00\x02\x00\x0d\x00\x07\x00\x01"sv, 0},
    {"rle8-rgb.rgb", 2, "\x01\x01\x00\x03\x00\x0d\x00\x07\x00\x03"sv, 0},
    {"rle8-rgba.rgba", 2, "\x01\x01\x00\x03\x00\x0d\x00\x07\x00\x04"sv, 0},
    {"plain8-rgb.sgi", 2, "\x00\x01\x00\x03\x00\x0d\x00\x07\x00\x03"sv, 0},
    {"plain16-grey.bw", 2, "\x00\x02\x00\x02\x00\x0d\x00\x07\x00\x01"sv, 1},
    {"plain16-rgb.rgb", 2, "\x00\x02\x00\x03\x00\x0d\x00\x07\x00\x03"sv, 1},
    {"plain16-rgba.rgba", 2, "\x00\x02\x00\x03\x00\x0d\x00\x07\x00\x04"sv, 1},
    {"rle16-grey.bw", 2, "\x01\x02\x00\x02\x00\x05\x00\x03\x00\x01"sv, 1, Sgi16RunLength},
    // DXT1 and DXT5 blocks, A8R8G8B8 and R8G8B8 (RGB flag, alpha, bits).
    {"dxt1.dds", 84, "DXT1"sv, 1},
    {"dxt5.dds", 84, "DXT5"sv, 1},
    {"argb.dds", 80, "\x41\0\0\0\0\0\0\0\x20\0\0\0"sv, 0},
    {"rgb.dds", 80, "\x40\0\0\0\0\0\0\0\x18\0\0\0"sv, 0},
    {"half.dds", 84, "q\0\0\0"sv, 0, HalfFloats, {{188, 0, 255, 255}, {255, 0, 0, 255}}},
    {"bc4.dds", 84, "ATI1"sv, 0, Bc4, {{40, 40, 40, 255}, {200, 200, 200, 255}}},
};
}

TEST(ConverterMaterials, SgiAndDdsImagesBakeAsImageMagickReadsThem)
{
    for (const BakedImage& row : BakedImages)
    {
        SCOPED_TRACE(row.file);
        TempFolder folder;
        const std::string bytes = row.bytes ? row.bytes() : Magick(row.file);
        EXPECT_EQ(bytes.substr(row.at, row.header.size()), row.header) << "another variant";
        Write(folder.Path(row.file), bytes);
        Write(folder.Path("m.obj"), TwoQuadsObj(true));
        const std::string material = "Kd 1 1 1\nmap_Kd " + std::string(row.file) + "\n";
        Write(folder.Path("two.mtl"), "newmtl left\n" + material + "newmtl right\n" + material);
        const Outcome run = Convert(folder.Path(), {folder.Path("m.obj"), folder.Path("m.txt")});
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_NE(run.out.find("the image alone"), std::string::npos) << run.out;
        const Texture texture = ReadTexture(folder.Path("m.dds"));
        ASSERT_FALSE(texture.levels.empty());
        const bool sgi = fs::path(row.file).extension() != ".dds";
        std::string expected;
        if (row.texels.empty())
            expected = Shell("convert '" + std::string(sgi ? "sgi:" : "") + folder.Path(row.file).string() + "' -depth 8 rgba:-");
        for (const Texel& texel : row.texels)
            expected += {char(texel[0]), char(texel[1]), char(texel[2]), char(texel[3])};
        const std::string& top = texture.levels[0];
        ASSERT_EQ(expected.size(), row.texels.empty() ? top.size() : 4 * row.texels.size()) << "ImageMagick cannot read it";
        for (std::size_t i = 0; i < expected.size(); ++i)
        {
            const int seen = std::uint8_t(top[i]), wanted = i % 4 == 3 ? 255 : std::uint8_t(expected[i]);
            ASSERT_NEAR(seen, wanted, row.step) << "texel " << i / 4 << ", channel " << i % 4;
        }
    }
}

// An image twice its room shrunk into its tile: each texel the mean of the
// 2 x 2 block it covers, times the material's colour, opaque; the margin
// (one texel for a tile of 16) repeats the edge texels outward.
TEST(ConverterMaterials, AnImageLargerThanItsTileIsAveraged)
{
    Image image;
    image.width = image.height = 28;
    for (int y = 0; y < 28; ++y)
        for (int x = 0; x < 28; ++x)
            image.rgba.insert(image.rgba.end(), {std::uint8_t(8 * x), std::uint8_t(255 - 8 * y), std::uint8_t((x + y) % 2 * 200), 7});
    std::vector<Tile> tiles = {{16}, {4}, {4}};
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(TilePacker::Pack(tiles, width, height));
    TextureAtlas atlas;
    ASSERT_TRUE(atlas.Allocate(width, height));
    const float half[4] = {0.5f, 1, 1, 1};
    ASSERT_TRUE(atlas.Place(image, tiles[0], ColourFactor(half, false)));
    for (std::uint32_t y = 0; y < 16; ++y)
        for (std::uint32_t x = 0; x < 16; ++x)
        {
            const int i = std::clamp(int(x) - 1, 0, 13), j = std::clamp(int(y) - 1, 0, 13); // the block
            const std::uint8_t* texel = atlas.Levels().Data(0) + (tiles[0].y + y) * atlas.Levels().Level(0).rowPitch + 4 * (tiles[0].x + x);
            EXPECT_EQ((Texel{texel[0], texel[1], texel[2], texel[3]}), (Texel{8 * i + 2, 251 - 16 * j, 100, 255})) << x << ", " << y;
        }
}

// Power-of-two squares, largest first along a Z-order curve: each inside the
// atlas, at a multiple of its side, none over another, and no more than half
// the atlas left empty; too much for 4096 x 4096 is shrunk, largest first.
TEST(ConverterMaterials, TilesPackAlignedWithoutOverlap)
{
    const std::vector<std::vector<std::uint32_t>> cases = {
        {4}, {4, 4}, {256, 4, 4, 4}, {1, 2, 4, 8, 16, 32, 64, 128, 256, 512}, {64, 64, 64, 64, 64}, std::vector<std::uint32_t>(32, 1024)};
    std::mt19937 random(7);
    std::vector<std::vector<std::uint32_t>> all = cases;
    for (int r = 0; r < 50; ++r)
    {
        std::vector<std::uint32_t> sides(1 + random() % 40);
        for (std::uint32_t& side : sides)
            side = 1u << (random() % 9);
        all.push_back(sides);
    }
    for (const std::vector<std::uint32_t>& sides : all)
    {
        std::vector<Tile> tiles;
        std::uint64_t area = 0;
        for (std::uint32_t side : sides)
        {
            tiles.push_back({side});
            area += std::uint64_t(side) * side;
        }
        std::uint32_t width = 0, height = 0;
        ASSERT_TRUE(TilePacker::Pack(tiles, width, height));
        ASSERT_TRUE(width <= 4096 && (width & (width - 1)) == 0 && (height == width || height * 2 == width));
        std::vector<bool> taken(std::size_t(width) * height);
        std::uint64_t packed = 0;
        for (const Tile& tile : tiles)
        {
            ASSERT_EQ(tile.x % tile.side + tile.y % tile.side, 0u);
            ASSERT_TRUE(tile.x + tile.side <= width && tile.y + tile.side <= height);
            for (std::uint32_t y = tile.y; y < tile.y + tile.side; ++y)
                for (std::uint32_t x = tile.x; x < tile.x + tile.side; ++x)
                {
                    ASSERT_FALSE(taken[std::size_t(y) * width + x]) << "overlap at " << x << ", " << y;
                    taken[std::size_t(y) * width + x] = true;
                }
            packed += std::uint64_t(tile.side) * tile.side;
        }
        if (area <= 4096u * 4096u)
        {
            EXPECT_EQ(packed, area) << "shrunk although it fitted";
        }
        EXPECT_LT(std::uint64_t(width) * height, 2 * packed + 1);
    }
    // 32 images of 1024 x 1024 are twice the atlas: ten keep their size.
    std::vector<Tile> tiles(32, Tile{1024});
    std::uint32_t width = 0, height = 0;
    ASSERT_TRUE(TilePacker::Pack(tiles, width, height));
    EXPECT_EQ(std::count_if(tiles.begin(), tiles.end(), [](const Tile& t) { return t.side == 1024; }), 10);
    EXPECT_EQ(std::count_if(tiles.begin(), tiles.end(), [](const Tile& t) { return t.side == 512; }), 22);
    std::vector<Tile> fixed(2, Tile{4096, 0, 0, false});
    EXPECT_FALSE(TilePacker::Pack(fixed, width, height));
}
