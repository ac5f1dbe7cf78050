#pragma once

#include "KString.h"

// The kinds of picture file, told apart by name.
enum class KImageType { kTarga, kJpeg, kGif };

// The type of a file by the text after the last dot of its name, whatever its
// length, compared without case: "jp..." is JPEG, exactly "gif" is GIF, and
// anything else, no extension included, is Targa.
KImageType KImageTypeOf(const KString& path);
