// Per-pixel Blinn-Phong lighting with parallax mapping: the fragment stage.
// The maps are RGBE pictures uploaded clamped to 0..1: the normal map holds
// tangent-space normals as colours, the height map its height in red, the
// specular map the specular intensity in red.
#version 110

uniform sampler2D diffuseMap;    // unit 0
uniform sampler2D normalsMap;    // unit 1
uniform sampler2D heightMap;     // unit 2
uniform sampler2D specularMap;   // unit 3
uniform float shininess;
uniform float parallaxX;
uniform float parallaxY;
uniform float offset;

varying vec2 texCoord;
varying vec3 lightVector;
varying vec3 viewVector;

// A warm torch light that carries across a room (at 150 units it still
// gives a surface facing it about half of its light), the light it
// scatters off the rock round it, which reaches surfaces turned away from
// it too, and a faint cool light that keeps rock far from any torch from
// pure black.
const vec3 lightColor = vec3(1.25, 1.0, 0.72);
const float linearFalloff = 0.0025;
const float quadraticFalloff = 0.00004;
const float scattered = 0.25;
const vec3 ambient = vec3(0.06, 0.065, 0.08);
// Far more texture repeats than any model's coordinates reach.
const float coordinateLimit = 64.0;

void main()
{
    vec3 view = normalize(viewVector);

    // The coordinates kept to a sane range: on a face seen almost edge-on
    // the interpolation can run away in the pixels just off its edge, and
    // filtered lookups there can stall a software renderer for seconds.
    vec2 base = clamp(texCoord, vec2(-coordinateLimit), vec2(coordinateLimit));
    float height = texture2D(heightMap, base).r;
    vec2 uv = base + view.xy * (height * vec2(parallaxX, parallaxY) + vec2(offset));
    uv = clamp(uv, vec2(-coordinateLimit), vec2(coordinateLimit));

    float lightDistance = max(length(lightVector), 1.0e-4);
    vec3 toLight = lightVector / lightDistance;
    float attenuation = 1.0 / (1.0 + linearFalloff * lightDistance
                               + quadraticFalloff * lightDistance * lightDistance);

    vec3 normal = normalize(texture2D(normalsMap, uv).rgb * 2.0 - 1.0);
    vec3 halfway = normalize(toLight + view);
    float diffuse = max(dot(normal, toLight), 0.0);
    float specular = 0.0;
    if (diffuse > 0.0)
        specular = pow(max(dot(normal, halfway), 0.0), max(shininess, 1.0))
                   * texture2D(specularMap, uv).r;

    vec3 albedo = texture2D(diffuseMap, uv).rgb;
    vec3 color = albedo * ambient
                 + (albedo * (diffuse + scattered) + vec3(specular)) * lightColor * attenuation;
    gl_FragColor = vec4(color, 1.0);
}
