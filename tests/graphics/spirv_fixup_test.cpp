#include <gtest/gtest.h>
#include <spirv-tools/libspirv.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/spirv_fixup.h"

namespace {
// What glslang makes of a three-component unorm write: an Rgba32f storage
// image written with a vec3, and here no vec4 type at all.
const char* const glslang_like = R"(
OpCapability Shader
OpMemoryModel Logical GLSL450
OpEntryPoint GLCompute %main "main"
OpExecutionMode %main LocalSize 1 1 1
OpDecorate %img DescriptorSet 0
OpDecorate %img Binding 0
%void = OpTypeVoid
%fn = OpTypeFunction %void
%float = OpTypeFloat 32
%v3float = OpTypeVector %float 3
%int = OpTypeInt 32 1
%v2int = OpTypeVector %int 2
%image = OpTypeImage %float 2D 0 0 0 2 Rgba32f
%ptr = OpTypePointer UniformConstant %image
%img = OpVariable %ptr UniformConstant
%one = OpConstant %float 1
%zero = OpConstant %int 0
%texel = OpConstantComposite %v3float %one %one %one
%coord = OpConstantComposite %v2int %zero %zero
%main = OpFunction %void None %fn
%entry = OpLabel
%loaded = OpLoad %image %img
OpImageWrite %loaded %coord %texel
OpReturn
OpFunctionEnd
)";

std::vector<uint32_t> assemble(spv_context context, const char* text)
{
    spv_binary binary = nullptr;
    EXPECT_EQ(spvTextToBinary(context, text, std::strlen(text), &binary, nullptr), SPV_SUCCESS);
    std::vector<uint32_t> words(binary->code, binary->code + binary->wordCount);
    spvBinaryDestroy(binary);
    return words;
}

std::string disassemble(spv_context context, const std::vector<uint32_t>& words)
{
    spv_text text = nullptr;
    EXPECT_EQ(spvBinaryToText(context, words.data(), words.size(), SPV_BINARY_TO_TEXT_OPTION_FRIENDLY_NAMES, &text, nullptr),
              SPV_SUCCESS);
    std::string result(text->str, text->length);
    spvTextDestroy(text);
    return result;
}
}

TEST(SpirvFixup, StorageImagesBecomeTenBitWithFourComponentWrites)
{
    spv_context context = spvContextCreate(SPV_ENV_VULKAN_1_0);
    std::vector<uint32_t> words = assemble(context, glslang_like);
    fix_storage_images(words);

    const std::string text = disassemble(context, words);
    EXPECT_NE(text.find("OpCapability StorageImageExtendedFormats"), std::string::npos) << text;
    EXPECT_NE(text.find("OpTypeImage %float 2D 0 0 0 2 Rgb10A2"), std::string::npos) << text;
    EXPECT_EQ(text.find("Rgba32f"), std::string::npos) << text;
    EXPECT_NE(text.find("OpTypeVector %float 4"), std::string::npos) << text;
    // The write takes the widened texel.
    std::string wide, written, alpha;
    std::map<std::string, std::string> defined;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("OpCompositeConstruct %v4float") != std::string::npos) {
            wide = line.substr(0, line.find(' '));
            alpha = line.substr(line.rfind(' ') + 1);
        }
        if (line.find(" = ") != std::string::npos)
            defined[line.substr(line.find_first_not_of(' '), line.find(" = ") - line.find_first_not_of(' '))] = line;
        if (line.find("OpImageWrite") != std::string::npos)
            written = line.substr(line.rfind(' ') + 1);
    }
    EXPECT_FALSE(wide.empty()) << text;
    EXPECT_EQ(written, wide) << text;
    // An opaque alpha, whatever a blit onto the window does with it.
    EXPECT_NE(defined[alpha].find("OpConstant %float 1"), std::string::npos) << text;

    spv_const_binary_t binary = {words.data(), words.size()};
    spv_diagnostic diagnostic = nullptr;
    EXPECT_EQ(spvValidate(context, &binary, &diagnostic), SPV_SUCCESS) << (diagnostic ? diagnostic->error : "") << text;
    spvDiagnosticDestroy(diagnostic);
    spvContextDestroy(context);
}

TEST(SpirvFixup, TheHighestConstantOffsetIsThatOfTheLastMemberOfABlock)
{
    const std::string head = R"(
OpCapability Shader
OpMemoryModel Logical GLSL450
OpEntryPoint GLCompute %main "main"
OpExecutionMode %main LocalSize 1 1 1
OpDecorate %globals Block
OpMemberDecorate %globals 0 Offset 0
OpMemberDecorate %globals 1 Offset 80
)";
    const std::string tail = R"(
OpMemberDecorate %other 0 Offset 512
%void = OpTypeVoid
%fn = OpTypeFunction %void
%float = OpTypeFloat 32
%v4float = OpTypeVector %float 4
%globals = OpTypeStruct %v4float %v4float %float
%other = OpTypeStruct %float
%ptr = OpTypePointer Uniform %globals
%constants = OpVariable %ptr Uniform
%main = OpFunction %void None %fn
%entry = OpLabel
OpReturn
OpFunctionEnd
)";
    spv_context context = spvContextCreate(SPV_ENV_VULKAN_1_0);
    // Six float4s end at 96; a struct that is no block does not count.
    EXPECT_EQ(highest_constant_offset(assemble(context, (head + "OpMemberDecorate %globals 2 Offset 84" + tail).c_str())), 84u);
    // An effect's own float after them.
    EXPECT_EQ(highest_constant_offset(assemble(context, (head + "OpMemberDecorate %globals 2 Offset 96" + tail).c_str())), 96u);
    EXPECT_EQ(highest_constant_offset({}), 0u);
    spvContextDestroy(context);
}
