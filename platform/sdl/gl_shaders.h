// GLSL of the OpenGL device: one program that reproduces the fixed-function
// pipeline the game was designed for (per-vertex lighting with one
// directional light, colour-vertex diffuse, flat or smooth shading, one
// modulating texture stage, specular added after texturing).
#pragma once

// Attribute slots shared by the shader and the vertex layouts.
enum { GL_ATTR_POSITION = 0, GL_ATTR_NORMAL = 1, GL_ATTR_COLOUR = 2, GL_ATTR_UV = 3 };

static const char kVertexShader[] = R"(#version 330 core
layout(location = 0) in vec4 aPosition;   // xyz (w = 1), or screen x y z rhw
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColour;     // from BGRA bytes: the ARGB word
layout(location = 3) in vec2 aUv;

uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform bool uScreen;           // pre-transformed vertices: no transform, no light
uniform bool uLighting;
uniform bool uHasColour;        // the format carries a diffuse colour
uniform bool uSpecular;
uniform bool uNormalize;
uniform vec2 uBackSize;         // the 2D layer's units: 640 x 480 on the frame
uniform vec2 uFrameScale;       // the frame's share of the picture (below 1 across when filled)
// The game's pictures were laid out for a rasteriser whose pixel centres sit
// on whole coordinates and whose top and left edges are inside: everything
// moves by half a pixel of the picture (in 2D units, whatever its size), and
// a hair up so a centre on a top edge counts as inside here too.
uniform vec2 uCentre;
uniform vec3 uLightDir;         // view space, the way the light travels
uniform vec4 uLightDiffuse, uLightSpecular, uLightAmbient;
uniform vec4 uMatDiffuse, uMatAmbient, uMatSpecular, uMatEmissive;
uniform float uMatPower;

out vec4 vColour;
flat out vec4 vFlatColour;
out vec3 vSpecular;
flat out vec3 vFlatSpecular;
out vec2 vUv;

void Light(vec3 viewPos, vec3 n, vec4 diffuseSource)
{
    if (uNormalize)
        n = normalize(n);
    vec3 toLight = -uLightDir;
    float ndl = max(dot(n, toLight), 0.0);
    vec3 colour = uMatEmissive.rgb + uMatAmbient.rgb * uLightAmbient.rgb
                + diffuseSource.rgb * uLightDiffuse.rgb * ndl;
    vColour = vec4(clamp(colour, 0.0, 1.0), diffuseSource.a);
    vSpecular = vec3(0.0);
    if (uSpecular && ndl > 0.0 && uMatPower > 0.0) {
        vec3 h = normalize(normalize(-viewPos) + toLight);
        float s = pow(max(dot(n, h), 0.0), uMatPower);
        vSpecular = clamp(uMatSpecular.rgb * uLightSpecular.rgb * s, 0.0, 1.0);
    }
}

void main()
{
    vec4 vertexColour = uHasColour ? aColour : vec4(1.0);
    vec4 clip;
    if (uScreen) {
        float w = aPosition.w != 0.0 ? 1.0 / aPosition.w : 1.0;
        vec2 ndc = vec2((aPosition.x + uCentre.x) / uBackSize.x * 2.0 - 1.0,
                        1.0 - (aPosition.y + uCentre.y) / uBackSize.y * 2.0) * uFrameScale;
        clip = vec4(ndc, aPosition.z, 1.0) * w;
        vColour = vertexColour;
        vSpecular = vec3(0.0);
    } else {
        vec4 viewPos = uWorldView * vec4(aPosition.xyz, 1.0);
        clip = uProjection * viewPos;
        clip.xy += vec2(2.0 * uCentre.x / uBackSize.x, -2.0 * uCentre.y / uBackSize.y) * uFrameScale * clip.w;
        if (uLighting) {
            Light(viewPos.xyz, uNormalMatrix * aNormal, uHasColour ? aColour : uMatDiffuse);
        } else {
            vColour = vertexColour;
            vSpecular = vec3(0.0);
        }
    }
    // Depth 0 ... 1 there, -1 ... 1 here.
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
    vFlatColour = vColour;
    vFlatSpecular = vSpecular;
    vUv = aUv;
}
)";

static const char kFragmentShader[] = R"(#version 330 core
in vec4 vColour;
flat in vec4 vFlatColour;
in vec3 vSpecular;
flat in vec3 vFlatSpecular;
in vec2 vUv;

uniform bool uFlat;
uniform bool uTextured;
uniform bool uAddSpecular;
uniform sampler2D uTexture;

out vec4 fragColour;

void main()
{
    vec4 colour = uFlat ? vFlatColour : vColour;
    if (uTextured)
        colour *= texture(uTexture, vUv);
    if (uAddSpecular)
        colour.rgb = min(colour.rgb + (uFlat ? vFlatSpecular : vSpecular), 1.0);
    fragColour = colour;
}
)";

// A layer laid over the picture: one triangle covers it, each pixel takes
// its own texel of the layer, and the untouched ones are left alone.
static const char kLayerVertexShader[] = R"(#version 330 core
void main()
{
    vec2 corner = vec2((gl_VertexID << 1) & 2, gl_VertexID & 2);
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

static const char kLayerFragmentShader[] = R"(#version 330 core
uniform sampler2D uLayer;
out vec4 fragColour;

void main()
{
    vec4 texel = texelFetch(uLayer, ivec2(gl_FragCoord.xy), 0);
    if (texel.a == 0.0)
        discard;
    fragColour = texel;
}
)";
