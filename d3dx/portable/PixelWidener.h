// Legacy DDS pixel layouts that have no DXGI format a feature-level 11.0
// device must support, and their conversion to one it must.
#ifndef VEXELO_PIXELWIDENER_H
#define VEXELO_PIXELWIDENER_H

#include <cstdint>

enum class SourceEncoding
{
    AsStored,    // the bytes already are the texture's format
    Bgr565,
    Bgra5551,
    Bgrx5551,
    Bgra4444,
    Bgrx4444,
    Bgr888,
    Rgbx8888,    // X8B8G8R8: alpha undefined in the file
    L8,
    A8L8,
    A4L4,
    L16,
    P8,          // indices into the file's palette of 256 R, G, B, A entries
    A8P8         // an index, then an alpha that replaces the entry's
};

class PixelWidener
{
public:
    // Bits one texel takes in the file; 0 for AsStored.
    static uint32_t StoredBits(SourceEncoding encoding);

    // The DXGI format the texels become: R16G16B16A16_UNORM for L16,
    // R8G8B8A8_UNORM for the others; Unknown for AsStored.
    static uint32_t TargetFormat(SourceEncoding encoding);

    static constexpr uint32_t PaletteBytes = 256 * 4;

    // Converts one row of width texels; the target row holds
    // width x (bits of TargetFormat) / 8 bytes. The palette (PaletteBytes
    // long) is read for P8 and A8P8 only; null will do for the others.
    static void WidenRow(SourceEncoding encoding, const uint8_t* source, uint32_t width, uint8_t* target,
                         const uint8_t* palette);

    static bool UsesPalette(SourceEncoding encoding)
    {
        return encoding == SourceEncoding::P8 || encoding == SourceEncoding::A8P8;
    }
};

#endif
