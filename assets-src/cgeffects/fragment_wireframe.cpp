#version 120
// fragment_wireframe - the combine: the picture ("decal"), a soft halo from
// its half-size blur ("decal2"), the glow picture ("decal3") spread into a
// bloom, and thin glowing lines along the picture's strong edges.
uniform sampler2D decal;
uniform sampler2D decal2;
uniform sampler2D decal3;

float luminance(vec3 c) { return dot(c, vec3(0.3, 0.55, 0.15)); }

void main()
{
    vec2 uv = gl_TexCoord[0].xy;
    vec2 pixel = max(abs(vec2(dFdx(uv.x), dFdy(uv.y))), vec2(1.0 / 8192.0));
    vec3 picture = texture2D(decal, uv).rgb;
    vec3 halo = texture2D(decal2, uv).rgb;

    // The glow, spread over two rings so that it blooms before the big blur.
    vec3 glow = texture2D(decal3, uv).rgb * 0.5;
    for (int i = 0; i < 8; ++i) {
        float a = 0.785398 * float(i);
        vec2 d = vec2(cos(a), sin(a));
        glow += texture2D(decal3, uv + d * 2.0 * pixel).rgb * 0.07;
        glow += texture2D(decal3, uv + d.yx * vec2(1.0, -1.0) * 5.0 * pixel).rgb * 0.04;
    }

    // Edge lines: the luminance gradient of the picture.
    float l = luminance(texture2D(decal, uv - vec2(pixel.x, 0.0)).rgb);
    float r = luminance(texture2D(decal, uv + vec2(pixel.x, 0.0)).rgb);
    float b = luminance(texture2D(decal, uv - vec2(0.0, pixel.y)).rgb);
    float t = luminance(texture2D(decal, uv + vec2(0.0, pixel.y)).rgb);
    float edge = smoothstep(0.06, 0.35, length(vec2(r - l, t - b)));
    vec3 edgeLight = edge * (0.35 * picture + vec3(0.025, 0.04, 0.06));

    vec3 result = picture + glow * 0.9 + max(halo - 0.08, 0.0) * 0.2 + edgeLight;
    gl_FragData[0] = vec4(result, 1.0);
    gl_FragData[1] = vec4(glow, 1.0);
}
