#pragma once
// The far end of the soak: a device on the master side of a pty, in a process
// of its own, that answers every line it receives and sends a numbered line of
// its own at a steady pace.
#include <string>
#include <vector>

namespace comtrax::soak {

struct DeviceScript {
    int streamPeriodMs = 100;  // one "TICK nnnnnn" line this often
};

// What the device did, as it tells it at the end.
struct DeviceTranscript {
    std::vector<std::string> seen;  // every line received, CR taken off, in order
    long answers = 0;               // "ANS 000001" .. "ANS <answers>" were sent
    long ticks = 0;                 // "TICK 000001" .. "TICK <ticks>" were sent
};

// Control commands from the terminal side through the pipe.
inline constexpr char StopStreaming = 'S';
inline constexpr char Finish = 'F';

// The device's main loop, in the forked child: reads the master, answers each
// CR-ended line with "ANS n" CR LF at once, sends "TICK n" CR LF every period
// until told StopStreaming, and on Finish writes its transcript to the file and
// returns.
void runDevice(int master, int control, const DeviceScript& script, const std::string& transcriptPath);

bool readTranscript(const std::string& path, DeviceTranscript& out);

}  // namespace comtrax::soak
