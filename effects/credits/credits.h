#pragma once
// The credits screen (timeline step 2), drawn into the work buffer.
struct gbuffer_T;
int credits_init(gbuffer_T* work);     // 0, or -1 when it cannot be set up
void credits_frame(gbuffer_T* work, int frame);
void credits_release();
