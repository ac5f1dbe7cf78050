#pragma once

#include <cstdio>

// tessaron-cli text [--home DIR] [--font NAME] [--size N] [--width PCT] [--squeeze MIN]
//     [--face C] [--border C] [--shadow C] [--back C] [--border-size N] [--shadow-size N]
//     [--handling 0|1|2] [--rect WxH] [--lines N] [--justify 0|1|2] [--bg C]
//     --out FILE.png TEXT
// Draws TEXT as a text object's text block into a canvas, writes it as a PNG
// and prints the lines drawn as JSON.
int RunTextVerb(int argc, char** argv, FILE* out, FILE* err);

// tessaron-cli fonts [--home DIR]: the font list, one JSON object per line.
int RunFontsVerb(int argc, char** argv, FILE* out, FILE* err);
