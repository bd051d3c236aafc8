#pragma once

#include <d3d11.h>

// What the light and texture shaders build the same way: compiling one source
// file (with the user told what went wrong), the linear wrapping sampler and
// the dynamic constant buffers.
class ShaderParts
{
public:
    // On failure the user has been told: the compiler's text in "shader-error.txt"
    // and a box, or a "Missing Shader File" box when there was no text.
    static bool CompileFile(HWND window, const WCHAR* shaderFile, const char* functionName, const char* profile,
                            ID3D10Blob** shaderBuffer);
    static bool CreateSampler(ID3D11Device* device, ID3D11SamplerState** samplerState);
    // Written by the CPU through Map with WRITE_DISCARD on every draw.
    static bool CreateConstantBuffer(ID3D11Device* device, UINT byteWidth, ID3D11Buffer** buffer);
};
