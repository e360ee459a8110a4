// A soundtrack far shorter than the show: the whole show still plays on the virtual clock, and
// from the song's end to the show's the music position holds the song's last row.
#include "engine/gl.h"
#include "show/offline.h"
#include "show/show.h"
#include "tests/xmwrite.h"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

TEST(ShortMusic, ShowRunsToItsEndOnTheLastRow) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    char tmpl[] = "/tmp/ordune-short-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    ASSERT_EQ(chdir(tmpl), 0);

    // Two patterns of four rows at 0.12 s a row: the song ends at 0.96 s.
    XmSong song;
    song.addPattern(4);
    song.addPattern(4);
    song.orders = {0, 1};
    ASSERT_TRUE(xm_save("music.xm", xm_build(song)));

    const double fps = 10;
    gl_use_null();
    offline_begin();
    EXPECT_TRUE(offline_music());
    long frames = offline_frame_count(fps);
    long held = 0;
    for (long k = 0; k < frames; k++) {
        offline_draw(k, fps, nullptr);
        if (kello.time < 1.0f)
            continue;
        unsigned row = sound.getRow();
        unsigned order = sound.getOrder();
        if (order == 1 && row == 3)
            held++;
    }
    // The last frame lies past the show's last millisecond, as in a live run.
    EXPECT_GT(show_ms(kello.time), SHOW_LAST_MS);
    EXPECT_EQ(held, frames - (long)fps) << "every frame from 1 s on reports order 1, row 3";
    offline_end();

    unlink("music.xm");
    EXPECT_EQ(chdir(cwd), 0);
    rmdir(tmpl);
}
