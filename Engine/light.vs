// Transforms the model into clip space and carries the texture coordinates and
// the world-space normal to the pixel shader.

cbuffer MatrixConstants : register(b0)
{
    matrix worldMatrix;
    matrix viewMatrix;
    matrix projectionMatrix;
};

struct VertexInput
{
    float3 position : POSITION;
    float2 tex : TEXCOORD0;
    float3 normal : NORMAL;
};

struct PixelInput
{
    float4 position : SV_POSITION;
    float2 tex : TEXCOORD0;
    float3 normal : NORMAL;
};

PixelInput LightVertexShader(VertexInput input)
{
    PixelInput output;

    // Row vector times world, view, projection: the D3DX convention.
    output.position = mul(float4(input.position, 1.0f), worldMatrix);
    output.position = mul(output.position, viewMatrix);
    output.position = mul(output.position, projectionMatrix);

    output.tex = input.tex;

    // The world matrix only rotates, so its upper 3x3 turns normals too.
    output.normal = normalize(mul(input.normal, (float3x3)worldMatrix));

    return output;
}
