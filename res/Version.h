// The plug-in's version: string-table entry 5 and the VERSIONINFO resource
// both come from here, so they always agree.
#pragma once

#define VELKIN_VERSION_MAJOR 1
#define VELKIN_VERSION_MINOR 0
#define VELKIN_VERSION_PATCH 0
#define VELKIN_VERSION_TEXT "1.0.0"
