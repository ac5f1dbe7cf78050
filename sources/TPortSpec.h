#pragma once

#include <cstdint>

#include "KString.h"

// A port specification: "1,9600,8,N,1.0[,refresh]" for serial port COM 1,
// "-1,address,port" to connect by TCP, "-2,address,port" to listen,
// "-3,address,port" for UDP; 0 or anything else is no port.
struct TPortSpec {
    enum Kind { kNone, kSerial, kTcpConnect, kTcpListen, kUdp };

    // Reads every column by its rule; what is missing or malformed takes the
    // column's default.
    static TPortSpec Parse(const KString& text);
    // The canonical text of this port.
    void Write(KString& out) const;
    // Dotted-quad text of an address kept in host order.
    static void AppendAddress(KString& out, uint32_t address);
    // Reads a dotted quad into host order; false for anything else.
    static bool ParseAddress(const KString& text, uint32_t* out);

    Kind kind = kNone;
    int32_t port = 0;  // column 0: COM number, 0 or a network kind
    int32_t baud = 9600;
    int32_t dataBits = 8;
    KChar parity = u'N';      // N, O, E, M or S
    int32_t stopTenths = 10;  // 10, 15 or 20
    int32_t refresh = 0;      // milliseconds
    uint32_t address = 0;     // host order
    uint16_t ipPort = 0;
    bool hasAddress = false;
    bool hasIpPort = false;
};
