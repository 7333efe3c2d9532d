// The plug-in host: scanning a directory of good and bad plug-ins, handing
// the list out, and running the example plug-ins on a 2 x 2 layer.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "core/transfer.h"
#include "engine/engine.h"
#include "ipl/plugin_host.h"
#include "ipl/processing_buffers.h"
#include "morvane/morvane.h"

using namespace mve;

namespace {

using Bytes = std::vector<unsigned char>;

// P0 (100, 50, 20, 255), P1 (200, 200, 200, 128), P2 (0, 0, 255, 60), P3 (255, 255, 255, 255).
const Bytes kPicture = {100, 50, 20, 255, 200, 200, 200, 128, 0, 0, 255, 60, 255, 255, 255, 255};

struct PluginHostTest : ::testing::Test {
    std::string dir;

    void SetUp() override
    {
        dir = ::testing::TempDir() + "mve_plugins_" + std::to_string(getpid());
        mkdir(dir.c_str(), 0755);
    }
    void TearDown() override
    {
        for (const char* name : {"a_sepia.so", "b_mixer.so", "c_other.so", "d_noentry.so", "e_text.so",
                                 "f_fails.so", "readme.txt"})
            unlink((dir + "/" + name).c_str());
        rmdir((dir + "/g_dir.so").c_str());
        rmdir(dir.c_str());
        MVE_DeleteImage();
    }
    void link(const char* target, const char* name)
    {
        ASSERT_EQ(symlink(target, (dir + "/" + name).c_str()), 0);
    }

    // A 2 x 2 canvas with kPicture in layer 1, current, and both processing buffers.
    static void make_canvas(int lockAlpha)
    {
        MVE_CreateImage(nullptr, 2, 2, 8, 0);
        ASSERT_EQ(MVE_CreateLayer(1, 2, 2), 1);
        MVE_SetLayer(1);
        MVE_EnableMask(0);
        MVE_LoadRGBA32Layer(kPicture.data(), 8, 1, 0, 0, 2, 2, 0);
        MVE_SetLayerOptions(1, 1, lockAlpha, 100, "Normal");
        MVE_IPLAllocSrcBuffer32();
        MVE_IPLAllocDstBuffer32();
    }
    static Bytes layer()
    {
        Bytes out(16);
        MVE_GetRGBA32Layer(out.data(), 8, 1);
        return out;
    }
};

TEST_F(PluginHostTest, ScanListsCompatiblePluginsLastFoundFirstAndSkipsTheRest)
{
    link(MVE_SEPIA_PLUGIN, "a_sepia.so");
    link(MVE_MIXER_PLUGIN, "b_mixer.so");
    link(MVE_BROKEN_PLUGIN_OTHER_VERSION, "c_other.so");
    link(MVE_BROKEN_PLUGIN_NO_ENTRY, "d_noentry.so");
    std::ofstream(dir + "/e_text.so") << "not a shared object";
    link(MVE_BROKEN_PLUGIN_FAILS, "f_fails.so");
    link(MVE_SEPIA_PLUGIN, "readme.txt");  // not a candidate name
    mkdir((dir + "/g_dir.so").c_str(), 0755);

    // Found in name order a, b, f; handed out f, b, a, then "" for good.
    EXPECT_EQ(MVE_PhotoshopPluginScan(dir.c_str()), 3);
    EXPECT_EQ(std::string(MVE_PhotoshopPluginNextName()), "Tests :: Broken :: " + dir + "/f_fails.so");
    EXPECT_EQ(std::string(MVE_PhotoshopPluginNextName()),
              "Channels :: Channel Mixer :: " + dir + "/b_mixer.so");
    EXPECT_EQ(std::string(MVE_PhotoshopPluginNextName()), "Colour :: Sepia Tone :: " + dir + "/a_sepia.so");
    EXPECT_STREQ(MVE_PhotoshopPluginNextName(), "");
    EXPECT_STREQ(MVE_PhotoshopPluginNextName(), "");

    // A second scan adds in front of what is left; a missing directory finds nothing.
    EXPECT_EQ(MVE_PhotoshopPluginScan("/nonexistent/mve-plugins"), 0);
    EXPECT_EQ(MVE_PhotoshopPluginScan(nullptr), 0);
    EXPECT_STREQ(MVE_PhotoshopPluginNextName(), "");

    ipl::PluginReport report;
    EXPECT_TRUE(ipl::probe_plugin(MVE_SEPIA_PLUGIN, report));
    EXPECT_EQ(report.description, "Warm brown tones of an old photograph");
    EXPECT_FALSE(ipl::probe_plugin((dir + "/e_text.so").c_str(), report));
}

TEST_F(PluginHostTest, LongEntriesAreCutToTheNameBuffer)
{
    // 3 x 600 characters and the separators do not fit in 1024 bytes: cut, terminated.
    engine().plugins.entries.push_front(
        {std::string(600, 'f'), std::string(600, 's'), std::string(600, 't')});
    const std::string name = MVE_PhotoshopPluginNextName();
    EXPECT_EQ(name.size(), 1023u);
    EXPECT_EQ(name.substr(598, 8), "ss :: tt");
}

// Sepia, integer division: P0 R (39300 + 38450 + 3780) / 1000 = 81, G (34900 + 34300 + 3360) / 1000 = 72,
// B (27200 + 26700 + 2620) / 1000 = 56; P1 200 x 1351 / 1000 -> 255, 200 x 1203 / 1000 = 240,
// 200 x 937 / 1000 = 187; P2 255 x 189 / 1000 = 48, 255 x 168 / 1000 = 42, 255 x 131 / 1000 = 33;
// P3 255, 255 x 1203 / 1000 -> 255, 255 x 937 / 1000 = 238. Alpha passes through.
TEST_F(PluginHostTest, SepiaGivesTheWorkedBytesInBothModes)
{
    const Bytes sepia = {81, 72, 56, 255, 255, 240, 187, 128, 48, 42, 33, 60, 255, 255, 238, 255};
    for (int mode : {0, 1, 0x101}) {
        make_canvas(0);
        EXPECT_EQ(ipl::run_photoshop_plugin(MVE_SEPIA_PLUGIN, mode), 0) << mode;
        EXPECT_EQ(layer(), sepia) << mode;
        // Src32 is handed back in R, G, B, A order: still the layer before the run.
        const Bytes src(engine().ipl.src32.data(), engine().ipl.src32.data() + 16);
        EXPECT_EQ(src, kPicture) << mode;
    }
}

// Mixer: R' = G, G' = B, B' = R, A' = (R + G + B) / 3: P0 (50, 20, 100, 56), P1 (200, 200, 200, 200),
// P2 (0, 255, 0, 85), P3 (255, 255, 255, 255).
TEST_F(PluginHostTest, MixerChangesAlphaOnlyInFullMode)
{
    make_canvas(0);
    EXPECT_EQ(ipl::run_photoshop_plugin(MVE_MIXER_PLUGIN, 0), 0);
    EXPECT_EQ(layer(), (Bytes{50, 20, 100, 56, 200, 200, 200, 200, 0, 255, 0, 85, 255, 255, 255, 255}));
    // Low byte 1: colour mode, the layer keeps its alpha and its lock alpha is off again after.
    make_canvas(0);
    EXPECT_EQ(ipl::run_photoshop_plugin(MVE_MIXER_PLUGIN, 1), 0);
    EXPECT_EQ(layer(), (Bytes{50, 20, 100, 255, 200, 200, 200, 128, 0, 255, 0, 60, 255, 255, 255, 255}));
    EXPECT_EQ(current_layer(engine())->lockAlpha, 0);
    // A layer that locks its alpha keeps it in full mode too, and stays locked.
    make_canvas(1);
    EXPECT_EQ(ipl::run_photoshop_plugin(MVE_MIXER_PLUGIN, 2), 0);
    EXPECT_EQ(layer(), (Bytes{50, 20, 100, 255, 200, 200, 200, 128, 0, 255, 0, 60, 255, 255, 255, 255}));
    EXPECT_EQ(current_layer(engine())->lockAlpha, 1);
}

TEST_F(PluginHostTest, BadPluginsAndMissingBuffersLeaveTheLayerUnchanged)
{
    make_canvas(0);
    std::ofstream(dir + "/e_text.so") << "not a shared object";
    for (const std::string& path :
         {std::string(MVE_BROKEN_PLUGIN_FAILS), std::string(MVE_BROKEN_PLUGIN_OTHER_VERSION),
          std::string(MVE_BROKEN_PLUGIN_NO_ENTRY), dir + "/e_text.so", std::string("/nonexistent/plugin.so"),
          std::string()}) {
        EXPECT_NE(ipl::run_photoshop_plugin(path.c_str(), 0), 0) << path;
        EXPECT_EQ(layer(), kPicture) << path;
    }
    EXPECT_NE(ipl::run_photoshop_plugin(nullptr, 0), 0);
    MVE_IPLFreeDstBuffer32();
    EXPECT_NE(ipl::run_photoshop_plugin(MVE_SEPIA_PLUGIN, 0), 0);
    EXPECT_EQ(layer(), kPicture);
}

}  // namespace
