#pragma once

#include <d3d11.h>

// A textured rectangle of fixed pixel size drawn flat over the screen. Owns
// only the geometry; the caller supplies the texture and the shader, and draws.
class DebugWindow
{
public:
    DebugWindow();
    DebugWindow(const DebugWindow&) = delete;
    DebugWindow& operator=(const DebugWindow&) = delete;
    ~DebugWindow();

    bool Initialize(ID3D11Device* device, int screenWidthPixels, int screenHeightPixels, int bitmapWidthPixels,
                    int bitmapHeightPixels);
    void Shutdown();
    // (x, y): the rectangle's top-left corner in pixels from the screen's
    // top-left, y downwards. Rebuilds the quad only when the position changed.
    bool Bind(ID3D11DeviceContext* context, int x, int y);
    int GetIndexCount();

private:
    bool CreateBuffers(ID3D11Device* device);
    bool UpdateQuad(ID3D11DeviceContext* context, int x, int y);
    void BindBuffers(ID3D11DeviceContext* context);
    void ReleaseBuffers();

    ID3D11Buffer* vertexBuffer;
    ID3D11Buffer* indexBuffer;
    int vertexCount;
    int indexCount;
    int screenWidth;
    int screenHeight;
    int bitmapWidth;
    int bitmapHeight;
    int previousX;
    int previousY;
};
