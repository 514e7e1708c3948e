#version 120
// fragment_blur256FOV - a zoom blur of "decal": each pixel is smeared along
// the line to the picture's centre over 15% of its distance from it, so that
// streaks grow toward the edges as a wide field of view at speed would. The
// centre stays sharp.
uniform sampler2D decal;

void main()
{
    vec2 uv = gl_TexCoord[0].xy;
    vec2 toCentre = vec2(0.5) - uv;
    vec4 sum = vec4(0.0);
    float total = 0.0;
    for (int i = 0; i < 12; ++i) {
        float s = float(i) / 11.0;
        float weight = 1.0 - 0.6 * s;
        sum += texture2D(decal, uv + toCentre * 0.15 * s) * weight;
        total += weight;
    }
    sum /= total;
    gl_FragData[0] = sum;
    gl_FragData[1] = sum;
}
