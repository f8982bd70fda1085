#pragma once
// Kills a process in the middle of saving a file, to see what a crash or a
// power cut leaves on disk.
#include <functional>
#include <string>

namespace comtrax::testing {

struct KillPlan {
    int rounds = 10;
    unsigned seed = 1;
    // The kill comes at a random moment within this many microseconds after
    // the child has finished its first save (so within its next few saves).
    unsigned maxDelayUs = 40000;
};

// Each round forks a child that calls save(0), save(1), save(2), ... without
// end, kills it at a random moment, and then calls check(round) in this
// process to look at the file. save returns false to give up (the round then
// fails).
void killSaverAtRandomMoments(const KillPlan& plan, const std::function<bool(unsigned i)>& save,
                              const std::function<void(int round)>& check);

}  // namespace comtrax::testing
