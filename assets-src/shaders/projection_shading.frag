// projection_shading.frag - the fragment stage of the game's shader pairs.
//
// Scenery is lit by the projected picture; meshes and text take the game
// colour with bright edges. The build writes one file per pair from this
// source (tools/compose_shaders.cmake), choosing the optional parts:
//   WITH_CUT    "planecut" dissolves meshes with a hot edge
//   WITH_HOLES  "holes" punches glowing holes through the rings
uniform sampler2D decal;     // the picture thrown from the light
uniform sampler2D light;     // the same picture, thrown wider and dimmer
uniform sampler2D texture;   // material normal map
uniform sampler2D texture2;  // material colour

// The colours the game sets are tiny (0.01 to 0.2): this brings them to a
// readable level while the blacks stay black.
const float kExposure = 9.0;

float hash(vec3 p) { return fract(sin(dot(p, vec3(127.1, 311.7, 74.7))) * 43758.5453); }

// Smooth value noise in [0, 1).
float valueNoise(vec3 p)
{
    vec3 i = floor(p);
    vec3 f = fract(p);
    f = f * f * (3.0 - 2.0 * f);
    float a = mix(mix(hash(i), hash(i + vec3(1.0, 0.0, 0.0)), f.x),
                  mix(hash(i + vec3(0.0, 1.0, 0.0)), hash(i + vec3(1.0, 1.0, 0.0)), f.x), f.y);
    float b = mix(mix(hash(i + vec3(0.0, 0.0, 1.0)), hash(i + vec3(1.0, 0.0, 1.0)), f.x),
                  mix(hash(i + vec3(0.0, 1.0, 1.0)), hash(i + vec3(1.0, 1.0, 1.0)), f.x), f.y);
    return mix(a, b, f.z);
}

// Dissolve value of a model point, in [0, 1): a cut of c removes what lies
// below c. The sum of three octaves gathers around 0.5; stretching it spreads
// the values so that a cut of c takes roughly a share c of the surface.
float dissolveValue(vec3 p)
{
    float n = 0.5 * valueNoise(p * 0.6) + 0.3 * valueNoise(p * 1.7 + 7.3) + 0.2 * valueNoise(p * 4.5 + 2.1);
    return clamp((n - 0.22) / 0.56, 0.0, 0.999);
}

// How much of the projected picture reaches a point: zero behind the light,
// soft at the picture's border.
float throwMask(vec2 uv, float w)
{
    if (w <= 0.0)
        return 0.0;
    vec2 edge = smoothstep(vec2(0.0), vec2(0.12), uv) * smoothstep(vec2(0.0), vec2(0.12), vec2(1.0) - uv);
    return edge.x * edge.y;
}

// Scenery: material colour and normal map, lit by the projected picture.
void shadeScenery(vec3 n, vec3 v, vec3 l, float distance, out vec3 picture, out vec3 glow)
{
    vec2 uv = gl_TexCoord[0].xy;
    vec4 albedoSample = texture2D(texture2, uv);
    // A texture that is not there reads as black: take a neutral grey.
    vec3 albedo = dot(albedoSample.rgb, vec3(1.0)) > 0.004 ? albedoSample.rgb : vec3(0.45);

    vec3 bump = texture2D(texture, uv).rgb;
    vec3 t = gl_TexCoord[5].xyz;
    if (dot(bump, bump) > 0.01 && dot(t, t) > 0.01) {
        t = normalize(t - n * dot(n, t));
        vec3 b = cross(n, t);
        vec3 m = bump * 2.0 - 1.0;
        n = normalize(t * m.x + b * m.y + n * max(m.z, 0.2));
    }

    vec4 lc = gl_TexCoord[1];
    vec2 luv = lc.xy / max(abs(lc.w), 1e-4);
    vec3 thrown = texture2D(decal, luv).rgb * throwMask(luv, lc.w);
    vec2 wide = (luv - 0.5) * 0.45 + 0.5;
    vec3 wash = texture2D(light, wide).rgb * throwMask(wide, lc.w) * 0.15;

    float diffuse = 0.25 + 0.75 * max(dot(n, l), 0.0);
    vec3 h = normalize(l + v);
    float specular = pow(max(dot(n, h), 0.0), 40.0);
    vec3 lit = thrown * 1.7 + wash;
    float fog = exp(-distance / 520.0);

    float rim = pow(1.0 - max(dot(n, v), 0.0), 4.0);
    picture = (albedo * (0.015 + lit * diffuse) + lit * specular * 0.6 + rim * vec3(0.02, 0.03, 0.04)) * fog;
    // The brightest throws bloom.
    vec3 hot = max(lit * albedo * diffuse - 0.35, 0.0);
    glow = (hot * 0.8 + lit * specular * 0.4) * fog;
}

// Meshes and text: the game's colour, a key light, and bright edges so that
// every shape reads as a silhouette against the dark.
void shadeModel(vec3 n, vec3 v, vec3 l, out vec3 picture, out vec3 glow)
{
    vec3 base = gl_Color.rgb * kExposure;
    float facing = max(dot(n, v), 0.0);
    float rim = pow(1.0 - facing, 4.0);
    float diffuse = 0.2 + 0.8 * max(dot(n, l), 0.0);
    vec3 h = normalize(l + v);
    float specular = pow(max(dot(n, h), 0.0), 30.0);
    vec3 edge = base * 1.8 + vec3(0.05, 0.07, 0.09);
    picture = base * diffuse + edge * rim + (base + 0.15) * specular * 0.5;
    glow = edge * rim * 0.9 + base * base * 0.35;
}

// Common start of every fragment: the eye-space frame, two-sided.
void surfaceFrame(out vec3 n, out vec3 v, out vec3 l, out float distance)
{
    vec3 p = gl_TexCoord[3].xyz;
    distance = length(p);
    v = distance > 0.0 ? -p / distance : vec3(0.0, 0.0, 1.0);
    vec3 raw = gl_TexCoord[2].xyz;
    n = dot(raw, raw) > 0.0 ? normalize(raw) : v;
    if (dot(n, v) < 0.0)
        n = -n;
    vec3 toLight = gl_TexCoord[6].xyz;
    l = dot(toLight, toLight) > 0.0 ? normalize(toLight) : v;
}

#ifdef WITH_CUT
uniform float planecut;

// The dissolve: as planecut rises from 0 to 1 a growing part of the model is
// cut away. Returns the heat of the fresh edge (1 at the cut, 0 further in).
float applyCut(vec3 p)
{
    float cut = clamp(planecut, 0.0, 1.0);
    if (cut <= 0.0)
        return 0.0;
    float d = dissolveValue(p) - cut;
    if (d < 0.0)
        discard;
    return 1.0 - smoothstep(0.0, 0.05, d);
}
#endif

#ifdef WITH_HOLES
uniform float holes;

// Round holes through the rings: a cell of the model's space holds a hole
// with a chance of 0.1 * holes (few at 1.0, half the cells at 5.0). Returns
// the glow of the hole's rim.
float applyHoles(vec3 p)
{
    float amount = clamp(holes, 0.0, 8.0);
    if (amount <= 0.0)
        return 0.0;
    const float cell = 2.4;
    vec3 c = floor(p / cell);
    if (hash(c + 19.1) >= 0.1 * amount)
        return 0.0;
    vec3 centre = (c + 0.3 + 0.4 * vec3(hash(c + 1.7), hash(c + 5.3), hash(c + 9.1))) * cell;
    float d = length(p - centre) / (0.3 * cell);
    if (d < 1.0)
        discard;
    return 1.0 - smoothstep(1.0, 1.4, d);
}
#endif

void main()
{
    vec3 n, v, l;
    float distance;
    surfaceFrame(n, v, l, distance);
    vec3 picture, glow;
#ifdef WITH_CUT
    if (gl_TexCoord[2].w > 0.5) {
        shadeScenery(n, v, l, distance, picture, glow);
    } else {
        vec3 p = gl_TexCoord[4].xyz;
        float heat = applyCut(p);
#ifdef WITH_HOLES
        float rimLight = applyHoles(p);
#endif
        shadeModel(n, v, l, picture, glow);
        vec3 ember = vec3(1.0, 0.42, 0.12) * heat;
#ifdef WITH_HOLES
        ember += (gl_Color.rgb * kExposure * 2.5 + vec3(0.08, 0.16, 0.22)) * rimLight;
#endif
        picture += ember * 0.7;
        glow += ember;
    }
#else
    if (gl_TexCoord[2].w > 0.5)
        shadeScenery(n, v, l, distance, picture, glow);
    else
        shadeModel(n, v, l, picture, glow);
#endif
    gl_FragData[0] = vec4(picture, 1.0);
    gl_FragData[1] = vec4(glow, 1.0);
}
