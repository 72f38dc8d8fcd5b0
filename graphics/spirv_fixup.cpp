#include "graphics/spirv_fixup.h"

#include <spirv-tools/libspirv.h>

#include <algorithm>
namespace {
enum : uint32_t {
    op_capability = 17,
    op_type_float = 22,
    op_type_vector = 23,
    op_type_image = 25,
    op_constant = 43,
    op_composite_construct = 80,
    op_image_write = 99,
    op_decorate = 71,
    op_member_decorate = 72,
    decoration_block = 2,
    decoration_offset = 35,
    capability_storage_image_extended_formats = 49,
    format_rgb10a2 = 11,
    sampled_as_storage = 2,
    header_words = 5,
};

struct parsed {
    std::vector<uint32_t> result_type; // by result id
    std::vector<uint32_t> offsets;     // of every instruction
    const uint32_t* base;
};

spv_result_t note_instruction(void* user, const spv_parsed_instruction_t* in)
{
    parsed& p = *static_cast<parsed*>(user);
    p.offsets.push_back(uint32_t(in->words - p.base));
    if (in->result_id && in->result_id < p.result_type.size())
        p.result_type[in->result_id] = in->type_id;
    return SPV_SUCCESS;
}

uint32_t instruction(uint32_t opcode, uint32_t word_count) { return word_count << 16 | opcode; }

bool parse(const std::vector<uint32_t>& words, parsed& p)
{
    if (words.size() < header_words)
        return false;
    p = {std::vector<uint32_t>(words[3]), {}, words.data()};
    spv_context context = spvContextCreate(SPV_ENV_VULKAN_1_0);
    const spv_result_t ok = spvBinaryParse(context, &p, words.data(), words.size(), nullptr, note_instruction, nullptr);
    spvContextDestroy(context);
    return ok == SPV_SUCCESS;
}
}

uint32_t highest_constant_offset(const std::vector<uint32_t>& words)
{
    parsed p;
    if (!parse(words, p))
        return 0;
    std::vector<bool> block(words[3]);
    for (uint32_t at : p.offsets)
        if ((words[at] & 0xffff) == op_decorate && words[at + 2] == decoration_block && words[at + 1] < block.size())
            block[words[at + 1]] = true;
    uint32_t highest = 0;
    for (uint32_t at : p.offsets)
        if ((words[at] & 0xffff) == op_member_decorate && words[at + 3] == decoration_offset && words[at + 1] < block.size() &&
            block[words[at + 1]])
            highest = std::max(highest, words[at + 4]);
    return highest;
}

void fix_storage_images(std::vector<uint32_t>& words)
{
    parsed p;
    if (!parse(words, p))
        return;
    uint32_t& bound = words[3];

    // The float, vec3 and vec4 type ids.
    uint32_t float_type = 0, vec3_type = 0, vec4_type = 0;
    for (uint32_t at : p.offsets)
        if ((words[at] & 0xffff) == op_type_float && words[at + 2] == 32)
            float_type = words[at + 1];
    for (uint32_t at : p.offsets)
        if ((words[at] & 0xffff) == op_type_vector && words[at + 2] == float_type) {
            if (words[at + 3] == 3)
                vec3_type = words[at + 1];
            if (words[at + 3] == 4)
                vec4_type = words[at + 1];
        }

    std::vector<uint32_t> out(words.begin(), words.begin() + header_words);
    out.reserve(words.size() + 64);
    bool capability_added = false;
    const uint32_t one = bound++; // the written alpha
    for (size_t k = 0; k < p.offsets.size(); ++k) {
        const uint32_t at = p.offsets[k];
        const uint32_t opcode = words[at] & 0xffff, count = words[at] >> 16;
        if (opcode == op_image_write && vec3_type && p.result_type[words[at + 3]] == vec3_type) {
            const uint32_t texel = words[at + 3], wide = bound++;
            out.insert(out.end(), {instruction(op_composite_construct, 5), vec4_type, wide, texel, one});
            out.insert(out.end(), words.begin() + at, words.begin() + at + count);
            out[out.size() - count + 3] = wide;
            continue;
        }
        out.insert(out.end(), words.begin() + at, words.begin() + at + count);
        if (opcode == op_type_image && words[at + 7] == sampled_as_storage)
            out[out.size() - count + 8] = format_rgb10a2;
        if (opcode == op_capability && !capability_added) {
            out.insert(out.end(), {instruction(op_capability, 2), capability_storage_image_extended_formats});
            capability_added = true;
        }
        if (opcode == op_type_float && words[at + 1] == float_type)
            out.insert(out.end(), {instruction(op_constant, 4), float_type, one, 0x3f800000u}); // 1.0f
        if (opcode == op_type_vector && words[at + 1] == vec3_type && !vec4_type) {
            vec4_type = bound++;
            out.insert(out.end(), {instruction(op_type_vector, 4), vec4_type, float_type, 4});
        }
    }
    out[3] = bound;
    words.swap(out);
}
