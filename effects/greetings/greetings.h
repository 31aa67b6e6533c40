#pragma once
// The greetings screen (timeline steps 7 and 8), drawn into the work buffer.
struct gbuffer_T;
int greetings_init(gbuffer_T* work);   // 0, or -1 when the closing picture cannot be loaded
void greetings_frame(gbuffer_T* work, int frame, int mode);
void greetings_release();
