// glslang ignores `unorm float3` on RWTexture2D: it declares the images
// Rgba32f and writes three components. Vulkan needs the real format and four.
#pragma once
#include <cstdint>
#include <vector>

// Declares every storage image Rgb10A2 (adding the capability that format
// needs) and widens three-component image writes to four, alpha 1.
void fix_storage_images(std::vector<uint32_t>& words);
// The highest offset of a member of the shader's constant blocks, in bytes
// (0 for none): what the shader reads of the constant buffer begins there.
uint32_t highest_constant_offset(const std::vector<uint32_t>& words);
