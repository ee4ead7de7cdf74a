#include "render/shader_locations.h"

CurrentShaderLocations currentShaderLocations;
