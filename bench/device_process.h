#pragma once
// bench_device run as a child process: its lines read as they come, its
// standard input held open until the run is over (for --hold).
#include <string>
#include <vector>

namespace comtrax::bench {

class DeviceProcess {
public:
    DeviceProcess(const std::string& program, const std::vector<std::string>& args);
    ~DeviceProcess();
    DeviceProcess(const DeviceProcess&) = delete;
    DeviceProcess& operator=(const DeviceProcess&) = delete;

    int outputFd() const { return out_; }
    int pid() const { return pid_; }
    // Blocks until a whole line is there ("" at end of output).
    std::string readLine();
    // Takes the whole lines that are waiting, without blocking.
    std::vector<std::string> readLines();
    // Closes its standard input and waits for it to end; returns its exit status.
    int finish();

private:
    int pid_ = -1;
    int out_ = -1;
    int in_ = -1;
    std::string pending_;
};

}  // namespace comtrax::bench
