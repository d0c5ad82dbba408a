#pragma once
// Symbols of the IDE framework library seen by the host and the plug-in.
#define IDEFRAMEWORK_EXPORT __attribute__((visibility("default")))
