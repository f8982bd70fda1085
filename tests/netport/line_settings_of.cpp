// Apart from the rest: the kernel's termios2 cannot share a file with <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include "netport/ser2net_rig.h"

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace comtrax::testing {

LineSettings lineSettingsOf(int fd)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return {};
    LineSettings s;
    s.baud = t.c_ospeed;
    switch (t.c_cflag & CSIZE) {
    case CS5:
        s.dataBits = 5;
        break;
    case CS6:
        s.dataBits = 6;
        break;
    case CS7:
        s.dataBits = 7;
        break;
    default:
        s.dataBits = 8;
        break;
    }
    s.parity = (t.c_cflag & PARENB) != 0;
    s.oddParity = (t.c_cflag & PARODD) != 0;
    s.twoStopBits = (t.c_cflag & CSTOPB) != 0;
    return s;
}

}  // namespace comtrax::testing
