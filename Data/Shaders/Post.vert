// The post-processing pass: a window-sized quad whose texture coordinates on
// unit 0 run from (0, 0) to (1, 1) over both scene images.
#version 110

varying vec2 texCoord;

void main()
{
    texCoord = gl_MultiTexCoord0.xy;
    gl_Position = ftransform();
}
