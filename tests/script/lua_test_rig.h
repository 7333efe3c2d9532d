// A small canvas with Src32 and Dst32, a script written to a file, and the
// message boxes a run shows, for the Lua filter host's tests. Parameterised
// on the fast paths, so every script runs through the LuaJIT prelude's FFI
// functions and through the C functions.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "core/runtime.h"
#include "engine/engine.h"
#include "morvane/morvane.h"
#include "script/lua_host.h"

namespace lua_test {

using Rgba = std::array<int, 4>;

struct Message {
    std::string text, caption;
};

struct LuaFilterTest : ::testing::TestWithParam<bool> {
    int w = 0, h = 0;
    std::vector<Message> messages;

    void SetUp() override { mve::set_fast_paths(GetParam()); }
    void TearDown() override
    {
        MVE_SetMessageBoxHandler(nullptr, nullptr);
        MVE_DeleteImage();
        mve::set_fast_paths(true);
    }

    // A w x h canvas whose current layer holds `pixels` (row by row), with
    // Src32 read from it and Dst32 allocated.
    void make(int width, int height, const std::vector<Rgba>& pixels)
    {
        w = width, h = height;
        MVE_CreateImage(nullptr, w, h, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, w, h), 1);
        MVE_SetLayer(1);
        std::vector<unsigned char> bytes;
        for (const Rgba& p : pixels)
            for (int c : p) bytes.push_back(static_cast<unsigned char>(c));
        ASSERT_EQ(bytes.size(), static_cast<std::size_t>(w * h * 4));
        MVE_LoadRGBA32(bytes.data(), w * 4, 0);
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLAllocDstBuffer32();
        MVE_SetMessageBoxHandler(
            [](const char* text, const char* caption, void* user) {
                static_cast<LuaFilterTest*>(user)->messages.push_back({text, caption});
            },
            this);
    }

    static std::string write_script(const std::string& body, const char* name = "filter.lua")
    {
        const std::string path = ::testing::TempDir() + name;
        std::ofstream(path, std::ios::binary) << body;
        return path;
    }

    mve::script::FilterOutcome run(const std::string& body, mve::script::FilterArgs args = {})
    {
        const std::string path = write_script(body);
        args.path = path.c_str();
        return mve::script::run_filter(mve::engine(), args);
    }

    // The current layer's pixel (high bytes).
    Rgba layer_at(int x, int y) const
    {
        std::vector<unsigned char> bytes(static_cast<std::size_t>(w * h * 4));
        MVE_GetRGBA32(bytes.data(), w * 4);
        const unsigned char* p = &bytes[static_cast<std::size_t>((y * w + x) * 4)];
        return {p[0], p[1], p[2], p[3]};
    }
    Rgba src_at(int x, int y) const
    {
        const std::uint8_t* p = mve::engine().ipl.src32.data() + (y * w + x) * 4;
        return {p[0], p[1], p[2], p[3]};
    }
    // The texts of the message boxes shown.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const Message& m : messages) out.push_back(m.text);
        return out;
    }
};

inline std::string param_name(const ::testing::TestParamInfo<bool>& info)
{
    return info.param ? "FastPaths" : "Reference";
}

}  // namespace lua_test
