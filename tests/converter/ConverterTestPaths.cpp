// Where the tests find the converter and their files: the build's absolute
// paths, compiled here alone, so that the rest compiles alike in every clone
// and comes from the compiler cache.
#include "ConverterTestSupport.h"

const char* VexeloModel() { return VEXELO_MODEL; }
std::string TestData(const std::string& name) { return CONVERTER_TEST_DATA "/" + name; }
std::string EngineData(const std::string& name) { return ENGINE_DATA_DIR "/" + name; }
std::string MagickTexture(const std::string& name) { return MAGICK_TEXTURES "/" + name; }
