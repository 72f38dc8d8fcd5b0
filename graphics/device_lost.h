// The line that reports a lost device (what a GPU's driver gives for an
// effect it stopped): pure logic, tested without a GPU.
#pragma once
#include <string>

// "the device was lost (drawing a frame) while it ran the composite and entry 5";
// `what` is the call that found out, `slots` the shader slots in flight.
std::string device_lost_line(const char* what, const int* slots, int count);
