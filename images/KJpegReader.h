#pragma once

class KBitmaps;
class KStream;

// Reads a JPEG picture as one frame through libjpeg, pulling the bytes from
// the stream. Rows arrive B, G, R (grey levels for an 8-bit list format).
// Raises 3004 for anything the decoder cannot decode (a file cut short
// included), 3010 for a side above 16384 and 2001 when the frame cannot be
// allocated. The decoder is released on every path.
class KJpegReader {
  public:
    static void Read(KStream& stream, KBitmaps& frames);
};
