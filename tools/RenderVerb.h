#pragma once

#include <cstdio>

// tessaron-cli render: the display engine without a screen, on a virtual
// clock, with a recorded capture as its first source.
int RunRenderVerb(int argc, char** argv, FILE* out, FILE* err);
