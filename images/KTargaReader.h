#pragma once

class KBitmaps;
class KStream;

// Reads an uncompressed true-colour Targa picture (image type 2; 15, 16, 24
// or 32 bits per pixel) as one frame. The identification and colour map are
// skipped; rows may come bottom-up or top-down, columns either way. Raises
// 3009 for any other type or depth, 3010 for a side above 16384, 2001 when
// the frame cannot be allocated, and the stream's error for a short file.
class KTargaReader {
  public:
    static void Read(KStream& stream, KBitmaps& frames);
};
