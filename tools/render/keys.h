#pragma once
// Key scripts for the offline renderer: one event per line, "FRAME NAME",
// delivered right after that many frames were presented. Names: esc,
// alt+enter, enter, close, space (held for two frames), focus-out,
// focus-in, or a single character (c, 3, p, r, n, ...). '#' starts a comment.
#include <string>
#include <vector>

#include "platform/backend_headless.h"

// Appends the file's events to events; on a bad line returns -1 with a
// message in error.
int keys_parse(const std::string& text, std::vector<pfScriptedEvent_T>& events, std::string& error);
