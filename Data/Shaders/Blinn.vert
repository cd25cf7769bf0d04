// Per-pixel Blinn-Phong lighting with parallax mapping: the vertex stage.
// The level display lists give the position, the normal, texture coordinates
// on unit 0 and an approximate tangent in the primary colour. "light" and
// "camera" are positions in the drawn object's own coordinates, so the
// vectors towards them are taken from gl_Vertex and turned into tangent space.
#version 110

uniform vec3 light;
uniform vec3 camera;
uniform float tiling;

varying vec2 texCoord;
varying vec3 lightVector;   // towards the light, tangent space, not normalised
varying vec3 viewVector;    // towards the camera, tangent space, not normalised

void main()
{
    vec3 normal = normalize(gl_Normal);
    // The tangent is only an approximation: make it perpendicular to the
    // normal, and pick any perpendicular when it runs along the normal.
    vec3 tangent = gl_Color.xyz - normal * dot(normal, gl_Color.xyz);
    if (dot(tangent, tangent) < 1.0e-6)
        tangent = abs(normal.x) < 0.9 ? cross(normal, vec3(1.0, 0.0, 0.0))
                                      : cross(normal, vec3(0.0, 1.0, 0.0));
    tangent = normalize(tangent);
    vec3 bitangent = cross(normal, tangent);

    vec3 toLight = light - gl_Vertex.xyz;
    vec3 toCamera = camera - gl_Vertex.xyz;
    lightVector = vec3(dot(toLight, tangent), dot(toLight, bitangent), dot(toLight, normal));
    viewVector = vec3(dot(toCamera, tangent), dot(toCamera, bitangent), dot(toCamera, normal));

    texCoord = gl_MultiTexCoord0.xy * tiling;
    gl_Position = ftransform();
}
