// A soundtrack far shorter than the show: the whole show still plays on the virtual clock, and
// from the song's end to the show's the music position holds the song's last row.
#include "engine/gl.h"
#include "show/offline.h"
#include "show/show.h"
#include "tests/xmwrite.h"

#include <gtest/gtest.h>

TEST(ShortMusic, ShowRunsToItsEndOnTheLastRow) {
    MusicFolder folder;
    XmSong song; // two patterns of four rows at 0.12 s a row: the song ends at 0.96 s
    song.addPattern(4);
    song.addPattern(4);
    song.orders = {0, 1};
    ASSERT_TRUE(folder.write(song));
    const double fps = 10;
    gl_use_null();
    offline_begin();
    EXPECT_TRUE(offline_music());
    long frames = offline_frame_count(fps), held = 0;
    for (long k = 0; k < frames; k++) {
        offline_draw(k, fps, nullptr);
        unsigned row = sound.getRow();
        held += kello.time >= 1.0f && sound.getOrder() == 1 && row == 3;
    }
    // The last frame lies past the show's last millisecond, as in a live run.
    EXPECT_GT(show_ms(kello.time), SHOW_LAST_MS);
    EXPECT_EQ(held, frames - (long)fps) << "every frame from 1 s on reports order 1, row 3";
    offline_end();
}
