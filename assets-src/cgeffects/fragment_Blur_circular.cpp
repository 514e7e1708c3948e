#version 120
// fragment_Blur_circular - a disc blur of "decal", like an out-of-focus lens:
// 24 taps spread evenly over a disc of four target pixels' radius (a
// golden-angle spiral), all of equal weight.
uniform sampler2D decal;

void main()
{
    vec2 uv = gl_TexCoord[0].xy;
    vec2 pixel = max(abs(vec2(dFdx(uv.x), dFdy(uv.y))), vec2(1.0 / 8192.0));
    vec4 sum = vec4(0.0);
    for (int i = 0; i < 24; ++i) {
        float r = 4.0 * sqrt((float(i) + 0.5) / 24.0);
        float a = 2.39996 * float(i);
        sum += texture2D(decal, uv + vec2(cos(a), sin(a)) * r * pixel);
    }
    sum /= 24.0;
    gl_FragData[0] = sum;
    gl_FragData[1] = sum;
}
