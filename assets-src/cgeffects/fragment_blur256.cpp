#version 120
// fragment_blur256 - one pass of a soft round blur of "decal".
//
// Seventeen taps in two rings, sized in pixels of the target (the quad's
// texture coordinate runs 0..1 across it, so its derivative is one pixel).
// Repeated passes widen it into a broad bloom.
uniform sampler2D decal;

void main()
{
    vec2 uv = gl_TexCoord[0].xy;
    vec2 pixel = max(abs(vec2(dFdx(uv.x), dFdy(uv.y))), vec2(1.0 / 8192.0));
    vec4 sum = texture2D(decal, uv) * 0.16;
    for (int i = 0; i < 8; ++i) {
        float a = 0.785398 * float(i);
        vec2 inner = vec2(cos(a), sin(a)) * 1.3;
        vec2 outer = vec2(cos(a + 0.392699), sin(a + 0.392699)) * 2.8;
        sum += texture2D(decal, uv + inner * pixel) * 0.065;
        sum += texture2D(decal, uv + outer * pixel) * 0.04;
    }
    gl_FragData[0] = sum;
    gl_FragData[1] = sum;
}
