// Script errors, bad arguments, hostile files and runaway scripts: one
// message box, the layer as it was, and an engine that runs the next filter.
#include <chrono>
#include <thread>

#include "lua_test_rig.h"

using namespace lua_test;
using mve::script::FilterOutcome;

namespace {

using LuaErrors = LuaFilterTest;

const Rgba kGrey{100, 100, 100, 255};

// The layer still grey and a later filter still working.
void expect_untouched_then_usable(LuaFilterTest& t)
{
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) EXPECT_EQ(t.layer_at(x, y), kGrey) << x << "," << y;
    t.messages.clear();
    ASSERT_EQ(t.run("set_value(0, 0, 0)"), FilterOutcome::Done);
    EXPECT_EQ(t.layer_at(0, 0), (Rgba{0, 0, 0, 255}));
    EXPECT_TRUE(t.messages.empty());
}

TEST_P(LuaErrors, SyntaxAndRunTimeErrorsShowOneMessage)
{
    make(2, 2, std::vector<Rgba>(4, kGrey));
    const char* scripts[] = {
        "set_value(0, 0, 1) for",                 // syntax error
        "set_value(0, 0, 1) set_rgb(0, 0, nil, 1, 1)",  // nil channel
        "set_value(0, 0, 1) set_rgb({}, 0, 1, 1, 1)",   // table coordinate
        "set_value(0, 0, 1) get_hsl(0)",                // missing y
        "set_value(0, 0, 1) set_hsv(0, 0, 'red', 1, 1)",
        "set_value(0, 0, 1) set_cmyk(0, 0, 1, 1, 1)",   // missing k
        "set_value(0, 0, 1) set_mask(0, 0, {})",
        "set_value(0, 0, 1) message_box(nil, 'x')",
        "set_value(0, 0, 1) merge()",
        "set_value(0, 0, 1) bit_and(1)",
    };
    for (const char* s : scripts) {
        messages.clear();
        EXPECT_EQ(run(s), FilterOutcome::ScriptError) << s;
        ASSERT_EQ(messages.size(), 1u) << s;
        EXPECT_EQ(messages[0].caption, "Lua Script Error") << s;
        EXPECT_EQ(layer_at(0, 0), kGrey) << s;
    }
    expect_untouched_then_usable(*this);
}

TEST_P(LuaErrors, NumbersAsTextAndHugeValuesAreNotErrors)
{
    make(2, 2, std::vector<Rgba>(4, kGrey));
    // Numeric text converts as Lua converts it; huge and NaN coordinates are off the canvas.
    ASSERT_EQ(run("set_rgb('1', '0', '1', 0, 0) set_rgb(1e308, 0, 0, 0, 0) set_rgb(0, -1e308, 0, 0, 0)"
                  " set_rgb(0/0, 1, 0, 0, 0) set_value(math.huge, 1, 0)"),
              FilterOutcome::Done);
    EXPECT_EQ(layer_at(1, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(layer_at(0, 0), kGrey);
    EXPECT_EQ(layer_at(0, 1), kGrey);
}

TEST_P(LuaErrors, MissingBinaryAndHashLineFiles)
{
    make(2, 2, std::vector<Rgba>(4, kGrey));
    mve::script::FilterArgs args;
    const std::string missing = ::testing::TempDir() + "no_such_filter.lua";
    args.path = missing.c_str();
    EXPECT_EQ(mve::script::run_filter(mve::engine(), args), FilterOutcome::ScriptError);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "cannot open " + missing);
    // A precompiled chunk (or anything starting like one) is refused, after a '#' line too.
    for (const char* body : {"\x1bLua\x51\x00\x01\x04\x08", "#!/usr/bin/lua\n\x1bLJ\x02"}) {
        messages.clear();
        EXPECT_EQ(run(std::string(body, body[0] == '#' ? 19 : 10)), FilterOutcome::ScriptError);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].text.find("precompiled chunks are not accepted"), std::string::npos);
    }
    // A first line starting with '#' is skipped, and line numbers stay right.
    messages.clear();
    EXPECT_EQ(run("#!/usr/bin/env lua\nset_value(1, 1, 1)\nerror('two')"), FilterOutcome::ScriptError);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("filter.lua:3: two"), std::string::npos) << messages[0].text;
    expect_untouched_then_usable(*this);
}

TEST_P(LuaErrors, NoBuffersNoRun)
{
    make(2, 2, std::vector<Rgba>(4, kGrey));
    MVE_IPLFreeDstBuffer32();
    EXPECT_EQ(run("message_box('ran', 'x')"), FilterOutcome::NoBuffers);
    EXPECT_TRUE(messages.empty());
}

TEST_P(LuaErrors, InstructionLimitEndsLoopsEvenUnderPcall)
{
    make(2, 2, std::vector<Rgba>(4, kGrey));
    mve::engine().script.instructionLimit = 200000;
    const char* loops[] = {
        "set_value(0, 0, 1) while true do end",
        "set_value(0, 0, 1) while true do pcall(function() while true do end end) end",
        // Writes through io stop as well (a few kilobytes before the limit).
        "local f = io.open('/dev/null', 'w') set_value(0, 0, 1) while true do f:write('x') end",
    };
    for (const char* s : loops) {
        messages.clear();
        EXPECT_EQ(run(s), FilterOutcome::ScriptError) << s;
        ASSERT_EQ(messages.size(), 1u) << s;
        EXPECT_EQ(messages[0].text, "instruction limit reached") << s;
        EXPECT_EQ(layer_at(0, 0), kGrey) << s;
    }
    mve::engine().script.instructionLimit = 0;
    expect_untouched_then_usable(*this);
}

TEST_P(LuaErrors, HostStopAndTimeLimitEndAPixelLoop)
{
    make(2, 2, std::vector<Rgba>(4, kGrey));
    // A loop that only calls pixel functions: compiled on LuaJIT, where the
    // functions themselves see the stop flag.
    const char* loop = "while true do local r = get_rgb(1, 1) set_rgb(0, 0, 1 - r, 0, 0) end";
    std::thread stopper([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        MVE_LuaFilterStop();
    });
    EXPECT_EQ(run(loop), FilterOutcome::ScriptError);
    stopper.join();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "script stopped");

    messages.clear();
    MVE_LuaFilterSetTimeLimit(50);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run(loop), FilterOutcome::ScriptError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "script stopped");
    MVE_LuaFilterSetTimeLimit(0);
    expect_untouched_then_usable(*this);
}

TEST_P(LuaErrors, TimeLimitEndsLoopsThatCallNothing)
{
    make(2, 2, std::vector<Rgba>(4, kGrey));
    // On LuaJIT these become machine-code loops the instruction hook never
    // sees; each must still end within the limit plus a few ticks.
    const char* loops[] = {
        "set_value(0, 0, 1) while true do end",
        "set_value(0, 0, 1) local x = 0 while true do x = x + 1 end",
        "set_value(0, 0, 1)\nlocal t, i = {}, 0\nwhile true do\n  i = i + 1\n  t[i % 64 + 1] = i\nend",
    };
    MVE_LuaFilterSetTimeLimit(50);
    for (const char* s : loops) {
        messages.clear();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(run(s), FilterOutcome::ScriptError) << s;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << s;
        ASSERT_EQ(messages.size(), 1u) << s;
        EXPECT_EQ(messages[0].text, "script stopped") << s;
        EXPECT_EQ(layer_at(0, 0), kGrey) << s;
    }
    MVE_LuaFilterSetTimeLimit(0);
    // The host's stop from another thread ends such a loop as well.
    messages.clear();
    std::thread stopper([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        MVE_LuaFilterStop();
    });
    EXPECT_EQ(run("local x = 0 while true do x = x + 1 end"), FilterOutcome::ScriptError);
    stopper.join();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "script stopped");
    expect_untouched_then_usable(*this);
}

TEST_P(LuaErrors, StopBeforeARunDoesNotEndIt)
{
    make(2, 2, std::vector<Rgba>(4, kGrey));
    MVE_LuaFilterStop();
    EXPECT_EQ(run("for i = 1, 5000 do progress(i) end set_value(0, 0, 0)"), FilterOutcome::Done);
    EXPECT_EQ(layer_at(0, 0), (Rgba{0, 0, 0, 255}));
}

TEST_P(LuaErrors, ThroughTheExport)
{
    make(2, 2, std::vector<Rgba>(4, kGrey));
    // sliderVal1 = 250 x 0.001 = 0.25 -> 63.75 -> 63.
    const std::string path = write_script("set_value(1, 0, sliderVal1 + flagVal6)");
    MVE_LuaFilterRun(path.c_str(), 0, 250, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(layer_at(1, 0), (Rgba{63, 63, 63, 255}));
    MVE_LuaFilterRun(path.c_str(), 0, 250, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);  // 1.25 -> 255
    EXPECT_EQ(layer_at(1, 0), (Rgba{255, 255, 255, 255}));
}

INSTANTIATE_TEST_SUITE_P(BothForms, LuaErrors, ::testing::Bool(), param_name);

}  // namespace
