#pragma once
// The time-outs of a serial line, field for field those of the Win32 COMMTIMEOUTS, and the line
// settings taken by Open. Values are milliseconds.

#include <cstdint>

namespace vg28 {

struct SerialTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;          // longest pause between two bytes of one read
    std::uint32_t ReadTotalTimeoutMultiplier = 0;   // per byte asked for
    std::uint32_t ReadTotalTimeoutConstant = 0;     // added once per read
    std::uint32_t WriteTotalTimeoutMultiplier = 0;  // per byte written
    std::uint32_t WriteTotalTimeoutConstant = 0;    // added once per write
};

// Parity, stop-bit and flow-control indexes as Open takes them.
enum SerialParity : int {
    kParityEven = 0,
    kParityMark = 1,
    kParityNone = 2,
    kParityOdd = 3,
    kParitySpace = 4
};
enum SerialStopBits : int { kStopOne = 0, kStopOneHalf = 1, kStopTwo = 2 };
enum SerialFlow : int {
    kFlowNone = 0,
    kFlowCtsRts = 1,
    kFlowCtsDtr = 2,
    kFlowDsrRts = 3,
    kFlowDsrDtr = 4,
    kFlowXonXoff = 5,
};

struct LineSettings {
    std::uint32_t baudRate = 9600;
    int parity = kParityNone;
    int dataBits = 8;
    int stopBits = kStopOne;
    int flowControl = kFlowNone;
};

}  // namespace vg28
