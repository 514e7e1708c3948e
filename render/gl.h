// gl.h - one place that pulls in the GL headers in the right order.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>
