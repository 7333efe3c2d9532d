// The host's readers worked by hand: paint scripts (line endings, argument
// lines, the keyword with a space, where a fault is reported) and
// OpenRaster stack.xml (top-first order, nested stacks, hidden layers).
#include <gtest/gtest.h>

#include <string>

#include "mve/ora_stack.h"
#include "mve/paint_script.h"

namespace {

using mve_host::PaintScript;
using mve_host::ScriptError;

const std::string kHeader = "1554\r\nDescription\r\n1\r\n \r\nRandomSeed\r\n7\r\n";

TEST(PaintScript, ReadsTheRecordersExampleInCrLfAndLf)
{
    // paint_open(7), paint_brush_size(12), a two-point stroke, paint_close().
    std::string text = kHeader +
                       "SetBrushSize\r\n12\r\nDrawStart\r\n10\r\n20\r\n-1\r\nSmoothPlot2\r\n0\r\n0\r\n0\r\n1\r\n0\r\n"
                       "SmoothPlot2\r\n15\r\n25\r\n0.5\r\n0\r\n0\r\nSmoothPlot2\r\n0\r\n0\r\n0\r\n0\r\n1\r\n"
                       "DrawStop\r\n1\r\nScriptEnd\r\n";
    for (int pass = 0; pass < 2; ++pass) {
        PaintScript s;
        ScriptError e;
        ASSERT_TRUE(mve_host::parse_paint_script(text, s, e)) << e.line << " " << e.message;
        EXPECT_EQ(s.seed, 7);
        EXPECT_TRUE(s.ended);
        ASSERT_EQ(s.commands.size(), 6u);
        EXPECT_EQ(s.commands[0].keyword, "SetBrushSize");
        EXPECT_EQ(s.commands[0].line, 7);
        EXPECT_EQ(s.commands[2].line, 13);  // the first SmoothPlot2, after DrawStart's 3 argument lines
        EXPECT_EQ(s.commands[3].numbers[2], 0.5);
        EXPECT_EQ(s.commands[5].keyword, "DrawStop");
        // The same script with bare LF lines.
        std::string lf;
        for (char c : text)
            if (c != '\r') lf += c;
        text = lf;
    }
}

TEST(PaintScript, KeepsTextArgumentsAndTheSpacedKeyword)
{
    PaintScript s;
    ScriptError e;
    ASSERT_TRUE(mve_host::parse_paint_script(kHeader + "Flood Fill\n1\n2\n3\n4\n5\n6\nGlobal Fill\n"
                                                       "SetColorBanks\nwarm\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n1e2",
                                             s, e))
        << e.message;
    ASSERT_EQ(s.commands.size(), 2u);
    EXPECT_EQ(s.commands[0].text[6], "Global Fill");
    EXPECT_EQ(s.commands[1].text[0], "warm");
    EXPECT_EQ(s.commands[1].numbers[12], 100);  // last line without a newline, Lua's 1e2
    EXPECT_FALSE(s.ended);                       // a run cut short leaves out ScriptEnd
}

TEST(PaintScript, ReportsTheLineOfEachFault)
{
    const struct {
        std::string body;
        int line;
    } cases[] = {
        {"Dab\n1\n2\n", 7},                    // the script ends inside Dab's arguments
        {"Dab\n1\nnan\n0.5\n", 9},             // not a finite number
        {"SetBrushSize\n5\ndab\n1\n2\n3\n", 9},  // keywords are case-sensitive
        {"ScriptEnd\nClearPage\n", 8},
        {"SetBrushSize\n2e9\n", 8},  // beyond +-1e9
    };
    for (const auto& c : cases) {
        PaintScript s;
        ScriptError e;
        EXPECT_FALSE(mve_host::parse_paint_script(kHeader + c.body, s, e)) << c.body;
        EXPECT_EQ(e.line, c.line) << c.body << ": " << e.message;
    }
    PaintScript s;
    ScriptError e;
    EXPECT_FALSE(mve_host::parse_paint_script("1554\nDescription\n2\n \nRandomSeed\n7\n", s, e));
    EXPECT_EQ(e.line, 3);
}

TEST(OraStack, FlattensNestedStacksBottomFirst)
{
    // Top first in the file: layer a inside a stack at x=10 that is hidden
    // at half opacity, then b at y=3 with opacity 0.4 and no op.
    const std::string xml =
        "<image w='30' h='20'><stack><stack x='10' opacity='0.5' visibility='hidden'>"
        "<layer src='a.png' name='a' x='2' opacity='0.5' composite-op='svg:screen'/></stack>"
        "<layer src='b.png' name='b &amp; c' y='3' opacity='0.4'/></stack></image>";
    mve_host::OraStack stack;
    std::string error;
    ASSERT_TRUE(mve_host::parse_stack_xml(xml, stack, error)) << error;
    EXPECT_EQ(stack.width, 30);
    EXPECT_EQ(stack.height, 20);
    ASSERT_EQ(stack.layers.size(), 2u);
    EXPECT_EQ(stack.layers[0].name, "b & c");
    EXPECT_EQ(stack.layers[0].y, 3);
    EXPECT_DOUBLE_EQ(stack.layers[0].opacity, 0.4);
    EXPECT_TRUE(stack.layers[0].visible);
    EXPECT_EQ(stack.layers[1].x, 12);
    EXPECT_DOUBLE_EQ(stack.layers[1].opacity, 0.25);
    EXPECT_FALSE(stack.layers[1].visible);
    EXPECT_EQ(stack.layers[1].compositeOp, "svg:screen");
    // Written again and read back: the same stack.
    mve_host::OraStack again;
    ASSERT_TRUE(mve_host::parse_stack_xml(mve_host::write_stack_xml(stack), again, error)) << error;
    ASSERT_EQ(again.layers.size(), 2u);
    EXPECT_EQ(again.layers[0].name, "b & c");
    EXPECT_EQ(again.layers[1].x, 12);
    EXPECT_FALSE(again.layers[1].visible);
    EXPECT_FALSE(mve_host::parse_stack_xml("<image w='3'><stack>", again, error));
    EXPECT_FALSE(mve_host::parse_stack_xml("<image w='3' h='2'><layer name='x'/></image>", again, error));
}

}  // namespace
