#pragma once

#include <cstdio>

// tessaron-cli video [--home DIR] --size WxH [--rotate 0|1|2] [--split] --out FILE.png [FILE]
// Feeds a video display command stream (FILE, else standard input; UTF-8)
// to a video display of W × H: the whole text as one field value, or with
// --split each line as its own value. Writes the picture as the object
// shows it to FILE.png and prints the state after the last value as JSON:
// {"flush":..,"columns":C,"rows":R,"cursor":[col,row]}. A size the display
// refuses prints {"error":"setup"} and exits 1.
int RunVideoVerb(int argc, char** argv, FILE* out, FILE* err);
