#pragma once
// The tunnel's screen tables: for every pixel of the 320 x 240 screen, its
// distance from the tunnel centre (160, 100) and its angle around it, both
// as bytes that index the 256 x 256 tunnel texture.
#include <cstdint>

enum { TUNNEL_W = 320, TUNNEL_H = 240, TUNNEL_CX = 160, TUNNEL_CY = 100 };

extern uint8_t distTable[TUNNEL_W * TUNNEL_H];
extern uint8_t angleTable[TUNNEL_W * TUNNEL_H];

void tunnel_buildTables();
