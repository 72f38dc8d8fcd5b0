// The fixed noise sequence that fills randdata (and so the frame constants).
#pragma once
#include <cstdint>

// Generator state; its seed is the identifier of a 2D-texture interface.
extern uint32_t guid[4];

void fillrand();
