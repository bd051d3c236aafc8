// Vertex and pixel shader of the triangle: positions arrive in clip space,
// colours are interpolated across the face.
struct PixelInput
{
    float4 position : SV_POSITION;
    float4 color : COLOR;
};

PixelInput VShader(float3 position : POSITION, float4 color : COLOR)
{
    PixelInput output;
    output.position = float4(position, 1.0f);
    output.color = color;
    return output;
}

float4 PShader(float4 position : SV_POSITION, float4 color : COLOR) : SV_TARGET
{
    return color;
}
