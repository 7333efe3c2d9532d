// Every registered effect, on a 1 x 1 and a 3 x 2 canvas, with parameters at
// and far beyond their ends: each call returns 1, nothing is written outside
// a buffer (the sanitizer build watches), and the canvas is marked dirty.
// Families added later are walked without any change here.
#include <cctype>
#include <string>

#include "dispatch/dispatch.h"
#include "dispatch_test_rig.h"
#include "engine/engine.h"
#include "undo/undo_store.h"

using namespace dispatch_test;

namespace {

std::vector<std::string> registered_names()
{
    std::vector<std::string> names;
    for (const auto& entry : mve::dispatch::registry()) names.emplace_back(entry.name);
    return names;
}

struct RegistryWalk : DispatchFixture, ::testing::WithParamInterface<std::string> {};

Call uniform(int p, int i, int colour)
{
    Call c;
    c.p.fill(p);
    c.i.fill(i);
    c.r = c.g = c.b = colour;
    c.seed = 0;
    return c;
}

TEST_P(RegistryWalk, ExtremeParametersOnTinyCanvases)
{
    const std::string& name = GetParam();
    const Call calls[] = {uniform(0, 0, 0),          uniform(1000, 1, 255),           uniform(500, 3, 128),
                          uniform(-1000000000, -1, -5), uniform(1000000000, 1000000000, 300),
                          uniform(-1, 4, 1),          uniform(2147483647, -2147483647, 0)};
    for (auto [width, height] : {std::pair{1, 1}, std::pair{3, 2}}) {
        canvas(width, height, 2);
        std::vector<std::uint8_t> picture(static_cast<std::size_t>(width) * height * 4);
        for (std::size_t k = 0; k < picture.size(); ++k) picture[k] = static_cast<std::uint8_t>(37 * k + 11);
        int n = 0;
        for (const Call& c : calls) {
            set_layer(picture);
            MVE_IPLUpdateSrcBuffer32();
            mve::undo_reset_dirty(mve::engine());
            Call withText = c;
            withText.text = (n++ % 2) ? "" : nullptr;
            EXPECT_EQ(process(name.c_str(), withText), 1) << name << " " << width << "x" << height;
            const auto& d = mve::engine().undo.dirty;
            EXPECT_TRUE(d.x0 == 0 && d.y0 == 0 && d.x1 == width - 1 && d.y1 == height - 1) << name;
        }
        TearDown();
    }
}

INSTANTIATE_TEST_SUITE_P(EveryEffect, RegistryWalk, ::testing::ValuesIn(registered_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string id;
                             for (char ch : info.param) id += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return id;
                         });

}  // namespace
