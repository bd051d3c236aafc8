// Turns the stored texels of a checked DDS file into the mip chain a texture
// is made from. Portable, so that the fuzzer drives it too.
#ifndef VEXELO_DDSDECODER_H
#define VEXELO_DDSDECODER_H

#include <cstdint>

class DdsFile;
class MipChain;

class DdsDecoder
{
public:
    // Makes wantedLevels levels (0: the full chain, and never more) of every
    // image: the stored ones copied or widened, the missing ones generated,
    // except for formats that cannot be averaged (blocks, packed), which keep
    // what is stored. Block-compressed textures are made a whole number of
    // blocks in size, as devices require of their top level. False when
    // memory runs short. data is the buffer the file was parsed from.
    static bool Decode(const DdsFile& dds, const uint8_t* data, uint32_t wantedLevels, MipChain& chain);

private:
    static void CopyStoredLevel(const DdsFile& dds, const uint8_t* data, uint32_t image, uint32_t level,
                                MipChain& chain);
};

#endif
