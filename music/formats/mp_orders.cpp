#include "music/formats/mp_orders.h"

#include <algorithm>

#include "music/mp_module.h"

enum { ORDER_SKIP = 254, ORDER_END = 255 };

bool mp_readOrderList(const uint8_t* list, uint32_t count, std::vector<uint16_t>* orders, uint32_t* highest)
{
    uint32_t used = 0;
    *highest = 0;
    for (uint32_t i = 0; i < count; i++)
        if (list[i] != ORDER_SKIP && list[i] != ORDER_END)
            *highest = std::max<uint32_t>(*highest, list[i]), used = i + 1;
    for (uint32_t i = 0; i < used; i++)
        orders->push_back(list[i] == ORDER_SKIP  ? (uint16_t)MP_ORDER_SKIP
                          : list[i] == ORDER_END ? (uint16_t)MP_ORDER_END
                                                 : list[i]);
    return used > 0;
}
