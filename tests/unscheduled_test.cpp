// The scenes no timeline window draws, as the tools build, draw and release them alone: rata,
// neuronit and runko built on demand, kellu built by the show and never twice, and the glow
// filter around a named scene.
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/sync.h"
#include "show/show.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <vector>

TEST(Unscheduled, ToolsBuildWhatTheShowLeavesAloneAndNeverKelluTwice) {
    gl_use_recorder();
    const struct {
        const char* name;
        bool draws;
    } alone[] = {{"rata", true}, {"neuronit", true}, {"runko", false}};
    for (const auto& c : alone) {
        const SceneEntry* s = scene_find(c.name);
        ASSERT_NE(s, nullptr) << c.name;
        scene_build(s);
        gl_recorder_reset();
        s->draw(0.5f);
        EXPECT_EQ(gl_recorder()->batches.empty(), !c.draws) << c.name;
        scene_release(s);
    }
    // The show builds kellu itself: a second build would leave a second track firing.
    const SceneEntry* kellu = scene_find("kellu");
    kellu->init();
    size_t tracks = sync_tracks().size();
    scene_build(kellu);
    EXPECT_EQ(sync_tracks().size(), tracks);
    scene_release(kellu);
    EXPECT_EQ(sync_tracks().size(), tracks);
    kellu->release();
    EXPECT_EQ(sync_tracks().size(), tracks - 1);
    gl_use_null();
}

namespace {

// Runs a tool of the build with the arguments; returns its exit status and stdout's lines.
int run_tool(const std::string& tool, const std::string& args, std::vector<std::string>* lines) {
    // From the build folder, where music.xm is.
    std::string command =
        std::string("cd ") + ORDUNE_BINARY_DIR + " && ./" + tool + " " + args + " 2>/dev/null";
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return -1;
    char buf[512];
    while (fgets(buf, sizeof buf, p))
        if (lines)
            lines->push_back(buf);
    int s = pclose(p);
    return WIFEXITED(s) ? WEXITSTATUS(s) : -1;
}

} // namespace

TEST(TraceTool, DrawsEachUnscheduledSceneAloneAndThroughTheGlowFilter) {
    std::vector<std::string> rata, neuronit, runko, glow, show;
    EXPECT_EQ(run_tool("ordune-trace", "--scene rata --pos 0.4 --summary", &rata), 0);
    ASSERT_EQ(rata.size(), 1u);
    EXPECT_NE(rata[0].find("GL_LINE_STRIP  n=404 "), std::string::npos) << rata[0];
    // 60 points, 91 triangles and their 91 outlines.
    EXPECT_EQ(run_tool("ordune-trace", "--scene neuronit --pos 0.5 --summary", &neuronit), 0);
    EXPECT_EQ(neuronit.size(), 242u);
    EXPECT_EQ(run_tool("ordune-trace", "--scene runko --pos 0.5 --summary", &runko), 0);
    EXPECT_TRUE(runko.empty());

    // The scene's two batches, then the filter's six quads, the last unblended.
    EXPECT_EQ(run_tool("ordune-trace", "--scene kellu --pos 0.5 --glow --summary", &glow), 0);
    ASSERT_EQ(glow.size(), 8u);
    for (int i = 0; i < 8; i++)
        EXPECT_NE(glow[i].find(i < 2 ? "GL_LINES " : "GL_QUADS "), std::string::npos) << glow[i];
    EXPECT_NE(glow[7].find("blend=off"), std::string::npos) << glow[7];
    // The filter wraps a named scene; a whole frame of the show has no place for it.
    EXPECT_EQ(run_tool("ordune-trace", "--at 3 --glow --summary", &show), 2);
    EXPECT_TRUE(show.empty());
}

TEST(RenderTool, DrawsOneNamedSceneThroughTheGlowFilter) {
    for (const char* bad :
         {"--scene kellu -o x.png", "--scene nowhere --pos 0.5 -o x.png", "--glow --at 3 -o x.png",
          "--pos 0.5 -o x.png", "--scene kellu --pos 0.5 --at 3 -o x.png",
          "--scene kellu --pos 0.5 --glow --size 160x120 -o x.png"})
        EXPECT_EQ(run_tool("ordune-render", std::string(bad) + " >/dev/null", nullptr), 2) << bad;
    std::string png = testing::TempDir() + "ordune-unscheduled-scene.png";
    remove(png.c_str());
    int status =
        run_tool("ordune-render",
                 "--scene neuronit --pos 0.5 --glow --fill --size 512x512 -o " + png, nullptr);
    if (status == 1)
        GTEST_SKIP() << "no headless OpenGL for the renderer";
    EXPECT_EQ(status, 0);
    FILE* f = fopen(png.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char sig[4] = {0};
    EXPECT_EQ(fread(sig, 1, 4, f), 4u);
    fclose(f);
    EXPECT_EQ(std::string((const char*)sig + 1, 3), "PNG");
    remove(png.c_str());
}
