// Host services that are not bound to an element.
#ifndef C4D_GENERAL_H__
#define C4D_GENERAL_H__

#include "c4d_file.h"

// Smooth, deterministic 3D gradient noise in 0..1, bit-identical on every
// platform. Non-finite coordinates give 0.5.
Real Noise(Vector p);

// The folder of the running plug-in.
Filename GeGetPluginPath();

#endif
