// The programs of this folder show the plug-in's own dialog and strings.
#pragma once

namespace velkin::bench {

// Loads Velkin.dll from the program's folder and makes it the resource module
// (SetResourceModule). False when it cannot be loaded.
bool UseVelkinResources();

}  // namespace velkin::bench
