// The post-processing pass: the full-size scene image, a soft glow from the
// bright parts of the one-eighth image (stretched and smoothed by its linear
// filter), and an exponential tone mapping whose exposure brightens or
// darkens the picture.
#version 110

uniform sampler2D hdrTexture;    // unit 0: the scene at window size
uniform sampler2D bloomTexture;  // unit 1: the scene at one eighth of the size
uniform float exposure;

varying vec2 texCoord;

const float bloomThreshold = 0.6;
const float bloomWeight = 0.35;
const float toneScale = 1.6;

void main()
{
    vec3 scene = texture2D(hdrTexture, texCoord).rgb;
    vec3 bloom = texture2D(bloomTexture, texCoord).rgb;
    vec3 glow = max(bloom - vec3(bloomThreshold), 0.0) / (1.0 - bloomThreshold);
    vec3 color = scene + glow * bloomWeight;
    gl_FragColor = vec4(vec3(1.0) - exp(-color * exposure * toneScale), 1.0);
}
