#pragma once

#include <cstdint>

// Every error code of the program, in one table. Codes are grouped by
// thousands: 1000 the application, 2000 memory, 3000 files and formats,
// 5000 serial channels, 6000 the configuration, 8000 network channels. A
// code's text for the user is the setting \Strings\Errors\<code>; codes
// travel in KX exceptions and as the int32_t results of the operations at
// the edge of a user action, where 0 means success.
enum KErrorCode : int32_t {
    kErrOperationFailed = 1000,  // also: no room for another layout window
    kErrLoopException = 1001,    // something escaped a dispatch or an idle pass
    kErrRequestServer = 1002,    // the first copy cannot take requests
    kErrCancelled = 1004,        // the user cancelled a file dialog: never shown

    kErrNoMemory = 2001,  // an allocation failed or would pass a limit

    kErrFileAlreadyOpen = 3001,
    kErrFileOpen = 3002,
    kErrFileAccess = 3003,
    kErrFileRead = 3004,
    kErrFileWrite = 3005,
    kErrFileVersion = 3009,   // a version or tag out of range
    kErrFileContents = 3010,  // contents that break their format

    kErrSerialReceive = 5001,
    kErrSerialReceiveShort = 5002,
    kErrSerialTransmit = 5003,
    kErrSerialTransmitBusy = 5004,

    kErrConfigLoad = 6001,
    kErrConfigSave = 6002,

    kErrSocketReceive = 8001,
    kErrSocketReceiveShort = 8002,
    kErrSocketSend = 8003,
    kErrSocketSendShort = 8004,
};
