#include "support/kill_during_save.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace comtrax::testing {

void killSaverAtRandomMoments(const KillPlan& plan, const std::function<bool(unsigned i)>& save,
                              const std::function<void(int round)>& check)
{
    std::minstd_rand gen(plan.seed);
    for (int round = 0; round < plan.rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(ready[0]);
            bool told = false;
            for (unsigned i = 0;; ++i) {
                if (!save(i))
                    ::_exit(1);
                if (!told)
                    told = ::write(ready[1], "r", 1) == 1;
            }
        }
        ::close(ready[1]);
        char c = 0;
        const bool started = ::read(ready[0], &c, 1) == 1;
        ::close(ready[0]);
        if (started)
            ::usleep(static_cast<useconds_t>(gen() % (plan.maxDelayUs + 1)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(started) << "the saving child failed before its first save";
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself";
        check(round);
    }
}

}  // namespace comtrax::testing
