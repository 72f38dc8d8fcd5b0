#include <shaderc/shaderc.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "graphics/authoring.h"
#include "graphics/gpu.h"
#include "graphics/run_on.h"
#include "graphics/shader_sources.h"
#include "graphics/spirv_fixup.h"

namespace {
constexpr size_t work_buffer_bytes = 65536;

void destroy_pipelines(gpu_shader* shader)
{
    for (int k = 0; k < preview_scale_count; ++k)
        for (VkPipeline pipeline : {shader->pipeline[k], shader->upscale[k]})
            if (pipeline)
                vkDestroyPipeline(gpu.device, pipeline, nullptr);
    if (shader->module)
        vkDestroyShaderModule(gpu.device, shader->module, nullptr);
    delete shader;
}

const char* const* source_table_slot;

shaderc_compile_options_t compile_options()
{
    shaderc_compile_options_t options = shaderc_compile_options_initialize();
    shaderc_compile_options_set_source_language(options, shaderc_source_language_hlsl);
    shaderc_compile_options_set_optimization_level(options, shaderc_optimization_level_zero);
    // Without separate bases b0, t0, s0 and u0 would all claim binding 0.
    shaderc_compile_options_set_hlsl_io_mapping(options, true);
    shaderc_compile_options_set_auto_bind_uniforms(options, true);
    shaderc_compile_options_set_binding_base(options, shaderc_uniform_kind_buffer, binding_constants);
    shaderc_compile_options_set_binding_base(options, shaderc_uniform_kind_texture, binding_noise);
    shaderc_compile_options_set_binding_base(options, shaderc_uniform_kind_sampler, binding_sampler);
    shaderc_compile_options_set_binding_base(options, shaderc_uniform_kind_unordered_access_view, binding_back_buffer);
    return options;
}

int count_lines(const char* text) { return int(std::count(text, text + std::strlen(text), '\n')); }

// Statements run on into the next line, as the compiler's warnings, its lines
// counted from the top of the prefix: `text` begins `offset` lines down.
std::string run_on_warnings(const char* name, const char* text, int offset)
{
    std::string lines;
    for (int line : run_on_lines(text))
        lines += std::string(name) + ":" + std::to_string(offset + line) +
                 ": warning: no ';' ends this line, so the next line runs on as part of its statement\n";
    return lines;
}

// shaderc counts lines from the top of the prefix; authors think in lines of
// their own file, which the heading names after `outcome`.
std::string compiler_report(const char* name, const char* outcome, const char* file, const char* message,
                            const char* prefix)
{
    const int prefix_lines = count_lines(prefix);
    // glslang writes "NAME:LINE:" and "NAME: NAME(LINE):".
    const std::string forms[] = {std::string(name) + ":%d:%n", std::string(name) + ": " + name + "(%d):%n"};
    std::string report = std::string("swipemix: ") + name + " " + outcome + " (" + file + "):\n";
    for (const char* line = message; *line;) {
        const char* end = std::strchr(line, '\n');
        const std::string text(line, end ? size_t(end - line) : std::strlen(line));
        line += text.size() + (end ? 1 : 0);
        int at = 0, used = 0;
        for (const std::string& form : forms)
            if (!used && std::sscanf(text.c_str(), form.c_str(), &at, &used) == 1 && used) {
                const bool in_effect = at > prefix_lines;
                report += std::string(name) + (in_effect ? ", effect line " : ", prefix line ") +
                          std::to_string(in_effect ? at - prefix_lines : at) + ":";
            }
        report += text.substr(size_t(used)) + "\n";
    }
    return report;
}

// Full scale without specialisation, as the show has always built it; the
// preview scales set the kernels' scale constant, and the composite's second
// pass its own.
VkResult create_pipeline(gpu_shader* shader, int k, bool upscale)
{
    const int32_t constants[] = {preview_scale_of(k), upscale};
    const VkSpecializationMapEntry entries[] = {{.constantID = 0, .offset = 0, .size = 4}, {.constantID = 1, .offset = 4, .size = 4}};
    const VkSpecializationInfo special = {.mapEntryCount = 2, .pMapEntries = entries, .dataSize = sizeof constants, .pData = constants};
    const VkComputePipelineCreateInfo info = {
        .sType = VK_STRUCTURE_TYPE_COMPUTE_PIPELINE_CREATE_INFO,
        .stage = {.sType = VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO,
                  .stage = VK_SHADER_STAGE_COMPUTE_BIT,
                  .module = shader->module,
                  .pName = shader->entry_point,
                  .pSpecializationInfo = k ? &special : nullptr},
        .layout = gpu.pipeline_layout,
    };
    return vkCreateComputePipelines(gpu.device, VK_NULL_HANDLE, 1, &info, nullptr,
                                    upscale ? &shader->upscale[k] : &shader->pipeline[k]);
}

// Scale k's pipelines of the shader: the composite has two passes at a reduced scale.
VkResult create_pipelines(gpu_shader* shader, int k)
{
    const VkResult made = create_pipeline(shader, k, false);
    const bool composite = std::strcmp(shader->entry_point, "__") == 0;
    return made == VK_SUCCESS && k > 0 && composite ? create_pipeline(shader, k, true) : made;
}

gpu_shader* create_compute_shader(const std::vector<uint32_t>& code, const char* entry_point)
{
    const VkShaderModuleCreateInfo module_info = {
        .sType = VK_STRUCTURE_TYPE_SHADER_MODULE_CREATE_INFO,
        .codeSize = code.size() * sizeof code[0],
        .pCode = code.data(),
    };
    gpu_shader* shader = new gpu_shader{};
    shader->entry_point = entry_point;
    if (vkCreateShaderModule(gpu.device, &module_info, nullptr, &shader->module) != VK_SUCCESS) {
        delete shader;
        return nullptr;
    }
    const int scales = gpu.preview_scales_later ? 1 : gpu.preview_scales_top + 1;
    VkResult made = VK_SUCCESS;
    for (int k = 0; k < scales && made == VK_SUCCESS; ++k)
        made = create_pipelines(shader, k);
    if (!gpu.preview_scales_later || made != VK_SUCCESS) {
        vkDestroyShaderModule(gpu.device, shader->module, nullptr);
        shader->module = VK_NULL_HANDLE;
    }
    if (made == VK_SUCCESS)
        return shader;
    destroy_pipelines(shader);
    return nullptr;
}
}

namespace {
const char* slot_name(int slot, char (&name)[32])
{
    std::snprintf(name, sizeof name, slot == composite_slot ? "composite" : "entry %d", entry_of_slot(slot));
    return name;
}

// The slot's text as SPIR-V, its storage images fixed up; empty, with the
// reason in `report`, where it does not compile. Needs no device.
std::vector<uint32_t> spirv_of_slot(int slot, const char* const* table, std::string& report)
{
    const bool composite = slot == composite_slot;
    char name[32];
    slot_name(slot, name);
    const char* prefix = table[0];
    // The composite's kernel is in the prefix; entry 0's text completes it.
    const char* source = table[composite ? entry_slot(0) : slot];
    const char* file = source_files[composite ? entry_slot(0) : slot]; // the effect lines' own
    if (!prefix || !source) {
        report = std::string("swipemix: ") + name + " has no shader text\n";
        return {};
    }
    // The tracks' names go first; they end with a #line, so lines still count from the prefix's top.
    static const char* const track_names = embedded_source("track_names.hlsl");
    const size_t names_length = std::strlen(track_names), prefix_length = std::strlen(prefix);
    const size_t length = prefix_length + std::strlen(source);
    if (length + 1 > work_buffer_bytes) {
        report = std::string("swipemix: ") + name + ": prefix and text exceed " + std::to_string(work_buffer_bytes) +
                 " bytes\n";
        return {};
    }
    std::unique_ptr<char[]> work(new char[names_length + work_buffer_bytes]());
    std::memcpy(work.get(), track_names, names_length);
    std::memcpy(work.get() + names_length, prefix, prefix_length);
    std::memcpy(work.get() + names_length + prefix_length, source, length - prefix_length);

    static const shaderc_compiler_t compiler = shaderc_compiler_initialize(); // shared by every thread
    shaderc_compile_options_t options = compile_options();
    const char* entry_point = composite ? "__" : "_";
    shaderc_compilation_result_t result =
        shaderc_compile_into_spv(compiler, work.get(), names_length + length, shaderc_compute_shader, name, entry_point,
                                 options);
    shaderc_compile_options_release(options);
    if (shaderc_result_get_compilation_status(result) != shaderc_compilation_status_success) {
        report = compiler_report(name, "did not compile", file, shaderc_result_get_error_message(result), prefix);
        shaderc_result_release(result);
        return {};
    }
    // A warning can be all there is to say about a slip that changes the picture.
    std::string warnings = shaderc_result_get_num_warnings(result) > 0 ? shaderc_result_get_error_message(result) : "";
    warnings += run_on_warnings(name, composite ? prefix : source, composite ? 0 : count_lines(prefix));
    if (!warnings.empty())
        report = compiler_report(name, "compiled with warnings", file, warnings.c_str(), prefix);
    std::vector<uint32_t> code(shaderc_result_get_length(result) / 4);
    std::memcpy(code.data(), shaderc_result_get_bytes(result), code.size() * 4);
    shaderc_result_release(result);
    // Only the prefix's constants are uploaded and bound: an effect's own would be read past them.
    if (highest_constant_offset(code) >= constant_bytes_read) {
        report = std::string("swipemix: ") + name +
                 " declares constants of its own (a variable outside any function): only the prefix's c, p, wat, B, I, "
                 "xts and mu are set; make it static\n";
        return {};
    }
    fix_storage_images(code);
    return code;
}

gpu_shader* shader_of_spirv(int slot, const std::vector<uint32_t>& code, std::string& report)
{
    if (code.empty())
        return nullptr;
    gpu_shader* shader = create_compute_shader(code, slot == composite_slot ? "__" : "_");
    char name[32];
    if (!shader)
        report = std::string("swipemix: the device refused the shader of ") + slot_name(slot, name) + "\n";
    return shader;
}
}

gpu_shader* compile_slot(int slot, const char* const* table, std::string& report)
{
    return shader_of_spirv(slot, spirv_of_slot(slot, table, report), report);
}

namespace {
// The compiles to SPIR-V, started before the device, and the pipelines made
// from them.
struct early_compiles {
    bool started;             // until every pipeline is made
    std::thread workers[shader_slots];
    int worker_count;
    int text_of[shader_slots]; // the slot compiled for this one: itself, or the first with its text
    std::vector<uint32_t> code[shader_slots];
    std::string report[shader_slots];
    bool made[shader_slots];
};
early_compiles early;

// A slot sharing an earlier slot's text takes its SPIR-V, which does not
// depend on the slot; where that one had something to say, it compiles for
// a report naming itself.
void compile_into_table(int slot)
{
    const int from = early.text_of[slot];
    std::string& report = early.report[slot];
    if (from != slot)
        early.code[slot] = early.report[from].empty() ? early.code[from] : spirv_of_slot(slot, source_table_slot, report);
    shader_table[slot] = shader_of_spirv(slot, early.code[slot], report);
    std::fputs(report.c_str(), stderr); // one write per message keeps the threads' reports apart
}
}

void retire_shader(gpu_shader* shader)
{
    if (!shader)
        return;
    check(vkDeviceWaitIdle(gpu.device), "waiting for the device"); // a frame in flight may still use it
    destroy_pipelines(shader);
}

gpu_shader* exchange_shader(int slot, gpu_shader* shader)
{
    gpu_shader* was = shader_table[slot];
    shader_table[slot] = shader;
    return was;
}

void replace_shader(int slot, gpu_shader* shader) { retire_shader(exchange_shader(slot, shader)); }

namespace {
int scale_index(int scale)
{
    int k = 0;
    while (k + 1 < preview_scale_count && preview_scale_of(k) < scale)
        ++k;
    return preview_scale_of(k) == scale ? k : 0;
}
}

void build_preview_scales(int coarsest) { gpu.preview_scales_top = scale_index(coarsest); }

void build_preview_scales_later(int coarsest)
{
    build_preview_scales(coarsest);
    gpu.preview_scales_later = gpu.preview_scales_top > 0;
}

bool build_next_preview_scales()
{
    // The coarsest scale of every slot first: a slow device needs it soonest.
    for (int& made = gpu.preview_scales_made; made < gpu.preview_scales_top * shader_slots; ++made) {
        const int k = gpu.preview_scales_top - made / shader_slots, slot = made % shader_slots;
        gpu_shader* shader = shader_table[slot];
        if (!shader || !shader->module)
            continue;
        const bool built = create_pipelines(shader, k) == VK_SUCCESS;
        if (k == 1 || !built) { // the module's last use
            vkDestroyShaderModule(gpu.device, shader->module, nullptr);
            shader->module = VK_NULL_HANDLE;
        }
        if (built) {
            bool which[shader_slots] = {};
            which[slot] = true;
            warm_up_shaders(which);
        }
        ++made;
        return true;
    }
    return false;
}

bool preview_scale_ready(int slot, int scale)
{
    const gpu_shader* shader = slot >= 0 ? shader_table[slot] : nullptr;
    return !shader || shader->pipeline[scale_index(scale)];
}

void set_preview_scale(int scale)
{
    const int k = scale_index(scale);
    gpu.preview_index = k <= gpu.preview_scales_top ? k : 0;
}

void start_compiling_shaders(const char* const* table)
{
    source_table_slot = table ? table : builtin_source_table();
    int order[shader_slots];
    slots_longest_first(source_table_slot, order);
    slots_sharing_texts(source_table_slot, early.text_of);
    static std::atomic<int> next;
    next = 0;
    for (int slot = 0; slot < shader_slots; ++slot) {
        early.report[slot].clear();
        early.made[slot] = false;
    }
    early.started = true;
    // A thread a core: more would take the cores from the window and the device starting beside them.
    early.worker_count = int(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned(shader_slots)));
    for (int w = 0; w < early.worker_count; ++w)
        early.workers[w] = std::thread([order] {
            for (int k; (k = next++) < shader_slots;)
                if (early.text_of[order[k]] == order[k])
                    early.code[order[k]] = spirv_of_slot(order[k], source_table_slot, early.report[order[k]]);
        });
}

void wait_for_compiles()
{
    for (int w = 0; w < early.worker_count; ++w)
        early.workers[w].join();
    early.worker_count = 0;
}

filled_slots wait_for_spirv(const char* const* table)
{
    if (!early.started)
        start_compiling_shaders(table);
    wait_for_compiles();
    filled_slots compiled;
    for (int slot = 0; slot < shader_slots; ++slot)
        compiled.slot[slot] = !early.code[early.text_of[slot]].empty();
    return compiled;
}

void make_pipelines(const bool* which)
{
    std::thread makers[shader_slots];
    for (int slot = 0; slot < shader_slots; ++slot)
        if (!early.made[slot] && (!which || which[slot]))
            makers[slot] = std::thread(compile_into_table, slot);
    bool all = true;
    for (int slot = 0; slot < shader_slots; ++slot) {
        if (makers[slot].joinable()) {
            makers[slot].join();
            early.made[slot] = true;
        }
        all = all && early.made[slot];
    }
    if (!all)
        return;
    for (std::vector<uint32_t>& code : early.code)
        code = {};
    early.started = false;
}

void compile_shaders(const char* const* table)
{
    wait_for_spirv(table);
    make_pipelines(nullptr);
    warm_up_shaders(nullptr);
}
