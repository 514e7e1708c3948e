# Writes the shader files the game loads by name from the shared sources in
# assets-src/shaders: GLSL's own preprocessor picks each pair's parts.
#   cmake -DSOURCE=<assets-src/shaders> -DOUTPUT=<build>/cgeffects -P compose_shaders.cmake
file(READ ${SOURCE}/projection_shading.frag fragment)
file(READ ${SOURCE}/boat.vert vertex)

function(compose name defines text)
  file(WRITE ${OUTPUT}/${name} "#version 120\n${defines}${text}")
endfunction()

compose(vertex_boat.cpp "" "${vertex}")
compose(vertex_boatg.cpp "" "${vertex}")
compose(fragment_projection_anisotropic2box.cpp "" "${fragment}")
compose(fragment_projection_anisotropic2hg2.cpp "#define WITH_CUT\n" "${fragment}")
compose(fragment_projection_anisotropic2hg2sprite.cpp "#define WITH_CUT\n" "${fragment}")
compose(fragment_projection_anisotropic2hg.cpp "#define WITH_CUT\n#define WITH_HOLES\n" "${fragment}")
