#include "BufferReadback.h"

#include "ComPtr.h"

bool BufferReadback::Read(ID3D11Device* device, ID3D11DeviceContext* context, ID3D11Buffer* buffer)
{
    D3D11_BUFFER_DESC desc;
    buffer->GetDesc(&desc);

    D3D11_BUFFER_DESC stagingDesc = {};
    stagingDesc.ByteWidth = desc.ByteWidth;
    stagingDesc.Usage = D3D11_USAGE_STAGING;
    stagingDesc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ComPtr<ID3D11Buffer> staging;
    if (FAILED(device->CreateBuffer(&stagingDesc, nullptr, staging.Put())))
        return false;
    context->CopyResource(staging.Get(), buffer);

    D3D11_MAPPED_SUBRESOURCE mapped;
    if (FAILED(context->Map(staging.Get(), 0, D3D11_MAP_READ, 0, &mapped)))
        return false;
    const uint8_t* data = static_cast<const uint8_t*>(mapped.pData);
    bytes.assign(data, data + desc.ByteWidth);
    context->Unmap(staging.Get(), 0);
    return true;
}
