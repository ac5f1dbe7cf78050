#pragma once

// What the settings tests share: a node's value as UTF-8 text, and the
// settings of a live home for the benchmarks.

#include <string>

#include "KRNode.h"
#include "KRegistry.h"
#include "KTestSupport.h"
#include "KUtf8.h"

inline std::string ValueText(KRNode* node) {
    KString out;
    if (node) node->AppendValue(out);
    return KUtf8Of(out);
}

// A home whose one source, Pool, listens on TCP port with the results script,
// and whose display window of width × height fits the layouts to itself.
inline void ApplyPoolHome(KRegistry& settings, int port, int width, int height) {
    for (const std::string& line :
         {std::string("Sources\\1\\:="), std::string("Sources\\1\\Name:String=Pool"),
          std::string("Sources\\1\\Script:String=Results.rss"),
          "Sources\\1\\SerialPort:String=-2,127.0.0.1," + std::to_string(port),
          std::string("Sources\\1\\CharMode:Int=0"), std::string("Display\\Monitor:Int=-1"),
          "Display\\Width:Int=" + std::to_string(width),
          "Display\\Height:Int=" + std::to_string(height), std::string("Layout\\AutoResize:Int=3")})
        settings.ApplyLine(KTestText(line));
}
