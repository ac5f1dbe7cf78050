#pragma once

class KBitmaps;
class KStream;

// Reads a JPEG picture as one frame through libjpeg, pulling the bytes from
// the stream, scaled down by the library when the list's read options ask
// for fewer pixels (the list's natural size stays the file's). Rows arrive B, G, R (grey levels for
// an 8-bit list format). Raises 3004 for anything the decoder cannot decode (a file cut short
// included), 3010 for a side above 16384 and 2001 when the frame cannot be
// allocated. The decoder is released on every path.
class KJpegReader {
  public:
    static void Read(KStream& stream, KBitmaps& frames);
};
