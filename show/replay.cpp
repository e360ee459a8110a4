// Seeking by replay: restart the show, catch the music up, draw only the frames the target's
// scenes have drawn since the earliest of them began.
#include "show/replay.h"
#include "show/offline.h"
#include "show/show.h"

long replay_first(long k, double fps) {
    ScenePos drawn[TIMELINE_SCENES];
    int n = show_scenes_at(show_ms(offline_time(k, fps)), drawn);
    if (n == 0)
        return k;
    int start = drawn[0].scene->window[0];
    for (int i = 1; i < n; i++)
        if (drawn[i].scene->window[0] < start)
            start = drawn[i].scene->window[0];
    // The first frame whose millisecond reaches the window's start; frame k is one.
    long first = offline_frame_at(start / 1000.0, fps);
    while (first > 0 && show_ms(offline_time(first - 1, fps)) >= start)
        first--;
    while (show_ms(offline_time(first, fps)) < start)
        first++;
    return first;
}

// Frames [from, k): the last through the back end in force, the others through the null one. The
// GL state is part of what a frame leaves the next (kasvu's bars keep the depth test the frame
// before set), so frame k then finds the state a show that played there leaves it.
static void play_unseen(long from, long k, double fps) {
    if (from >= k)
        return;
    offline_skip(from, k - 1, fps);
    offline_draw(k - 1, fps, nullptr);
}

void replay_to(long k, double fps) {
    long first = replay_first(k, fps);
    show_restart();
    offline_audio_to(first, fps, nullptr);
    play_unseen(first, k, fps);
}

void replay_plain(long k, double fps) {
    show_restart();
    play_unseen(0, k, fps);
}
