#pragma once

#include <cstdio>

// The program's --help and --version. They are answered before the toolkit
// starts, so they need no display; the manual page is made from them. True
// when the arguments ask for either; its text then went to out.
bool AnswerUsage(int argc, char** argv, FILE* out);
