// A Modbus RTU server (slave 1) on a serial device, made with libmodbus: the
// real peer the terminal's after-answer polling is tested against. Holding
// registers 0..9 hold 40, 41, ...; it answers until it is killed.
//   modbus_rtu_server DEVICE
#include <modbus.h>

#include <cerrno>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: modbus_rtu_server DEVICE\n");
        return 2;
    }
    modbus_t* ctx = modbus_new_rtu(argv[1], 115200, 'N', 8, 1);
    if (!ctx || modbus_set_slave(ctx, 1) != 0 || modbus_connect(ctx) != 0) {
        std::perror("modbus");
        return 1;
    }
    modbus_mapping_t* map = modbus_mapping_new(0, 0, 10, 0);
    for (int i = 0; i < 10; ++i)
        map->tab_registers[i] = static_cast<uint16_t>(40 + i);
    std::printf("ready\n");
    std::fflush(stdout);
    uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
    while (true) {
        const int n = modbus_receive(ctx, query);
        if (n > 0)
            modbus_reply(ctx, query, n, map);
        else if (n < 0 && errno != ETIMEDOUT && errno != EMBBADCRC && errno != EMBBADDATA)
            break;
    }
    modbus_mapping_free(map);
    modbus_close(ctx);
    modbus_free(ctx);
    return 0;
}
