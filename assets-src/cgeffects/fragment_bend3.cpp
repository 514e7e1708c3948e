#version 120
// fragment_bend3 - the last pass: lens bend, bloom, shake and tone.
//
// "decal" is the combined picture, "decal2" its wide blur. "alpha" is the
// strength of the bend: 1.4 as a level starts (the warp-in: zoomed, pinched,
// colour-split and soft), settling to 0.2 (a faint lens curve). "RightV" and
// "UpV" are the camera shake, a small offset of the picture; they are clamped
// since the game's values are only meant to be small.
uniform sampler2D decal;
uniform sampler2D decal2;
uniform float alpha;
uniform float RightV;
uniform float UpV;

// Highlights roll off toward white instead of clipping; blacks stay black.
vec3 shoulder(vec3 c)
{
    vec3 over = max(c - 0.7, 0.0);
    return min(c, 0.7) + 0.3 * (1.0 - exp(-over / 0.3));
}

void main()
{
    vec2 uv = gl_TexCoord[0].xy;
    float bend = clamp(alpha, 0.0, 2.0);
    float warp = clamp((bend - 0.2) / 1.2, 0.0, 1.0);
    vec2 shake = clamp(vec2(RightV, UpV), -0.02, 0.02);

    vec2 c = uv - 0.5;
    float r2 = dot(c, c);
    // Pinch toward the centre: the edges are pulled in, never out of the picture.
    vec2 bent = c * (1.0 - 0.12 * bend * r2) * (1.0 - 0.35 * warp * warp);
    // A twist that unwinds during the warp-in.
    float twist = 0.9 * warp * warp * (0.7 - sqrt(r2));
    bent = mat2(cos(twist), sin(twist), -sin(twist), cos(twist)) * bent;
    vec2 at = bent + 0.5 + shake;

    vec2 split = c * (0.004 + 0.03 * warp);
    vec3 sharp = vec3(texture2D(decal, at + split).r, texture2D(decal, at).g, texture2D(decal, at - split).b);
    vec3 soft = texture2D(decal2, at).rgb;

    // Only light above a floor blooms, so the blacks around it stay black.
    vec3 bloom = max(soft - 0.06, 0.0);
    vec3 colour = mix(sharp, soft, 0.75 * warp) + bloom * (0.4 + 0.5 * warp);
    colour *= 1.0 - 0.55 * r2;  // vignette
    colour = shoulder(colour);
    gl_FragData[0] = vec4(colour, 1.0);
    gl_FragData[1] = vec4(colour, 1.0);
}
