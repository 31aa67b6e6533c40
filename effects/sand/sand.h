#pragma once
// The scripted sand effect, the first step of the timeline.
int sand_run();
