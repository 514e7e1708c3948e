// boat.vert - the vertex stage of every shader pair (built as vertex_boat.cpp and vertex_boatg.cpp).
//
// Places the vertex with ModelViewProj * (ModelViewObject * vertex) and hands
// the fragment stage everything it shades with, in eye space:
//   gl_TexCoord[0]  material uv
//   gl_TexCoord[1]  projected-light coordinate (ModelViewLightProj)
//   gl_TexCoord[2]  normal, w = 1 for scenery
//   gl_TexCoord[3]  position
//   gl_TexCoord[4]  placed model-space position (stable on the model: cuts, holes)
//   gl_TexCoord[5]  texture-space tangent (zero without one)
//   gl_TexCoord[6]  vector to the light
// Scenery (the 3DS models) arrives with a unit tangent in texture unit 1;
// OBJ meshes and text arrive without one. Only scenery is lit by the
// projected light and the light position, which are set for its pass alone.
uniform mat4 ModelViewProj;
uniform mat4 ModelViewLightProj;
uniform mat4 ModelViewObject;
uniform vec3 LightPos;

void main()
{
    // An affine placement has 1 in its corner: a zero matrix was never bound.
    mat4 placement = ModelViewObject[3][3] == 0.0 ? mat4(1.0) : ModelViewObject;
    vec4 placed = placement * gl_Vertex;
    gl_Position = ModelViewProj * placed;

    vec3 tangent = gl_MultiTexCoord1.xyz;
    float scenery = dot(tangent, tangent) > 0.25 ? 1.0 : 0.0;
    vec4 eyePosition = gl_ModelViewMatrix * placed;
    vec3 normal = gl_NormalMatrix * (mat3(placement) * gl_Normal);

    vec3 toLight = normalize(vec3(0.6, 0.5, 0.6));  // the light stands to the right of the view
    if (scenery > 0.5)
        toLight = (gl_ModelViewMatrix * vec4(LightPos, 1.0)).xyz - eyePosition.xyz;

    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_TexCoord[1] = ModelViewLightProj * placed;
    gl_TexCoord[2] = vec4(normal, scenery);
    gl_TexCoord[3] = eyePosition;
    gl_TexCoord[4] = placed;
    gl_TexCoord[5] = vec4(gl_NormalMatrix * (mat3(placement) * tangent), 0.0);
    gl_TexCoord[6] = vec4(toLight, 0.0);
    gl_FrontColor = gl_Color;
    gl_FrontSecondaryColor = vec4(0.0);
}
