#pragma once
// Reading the terminal's log file after a soak and holding it against what the
// device says it did.
#include <string>
#include <vector>

#include "soak/soak_device.h"

namespace comtrax::soak {

// The log as written with the time stamps on: each record starts with
// " [ hh:mm:ss:zzz > ] " (a sent line) or " < ] " (a received packet).
struct LogRecords {
    std::vector<std::string> sent;  // echo texts, the suffix's CR taken off
    std::vector<long> answers;      // numbers of "ANS n" in received packets, in log order
    std::vector<long> ticks;        // numbers of "TICK n"
    long packets = 0;
    std::string junk;                   // bytes that belong to nothing above
    long answersNotAfterTheirLine = 0;  // answers that did not follow one sent line each
};

LogRecords parseLog(const std::string& log);

struct Verdict {
    bool ok = true;
    std::vector<std::string> faults;  // one sentence each
    std::vector<std::string> facts;   // the figures of the run
    void fail(std::string why)
    {
        ok = false;
        faults.push_back(std::move(why));
    }
};

// Every line the device saw is a sent line of the log, in order, and no other;
// every answer is there once, in order; ticks appear in order, none twice (a
// tick may be lost: each send purges what the port has not yet read).
Verdict compare(const DeviceTranscript& device, const LogRecords& log);

}  // namespace comtrax::soak
