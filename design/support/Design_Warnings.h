// SPDX-License-Identifier: GPL-3.0-or-later
// The warnings of the current design, as the console and the run log showed
// them, kept for the records that travel with the taps (the JSON design record
// and the comment headers of the exports).
//
// Every line that begins with "***Warning" or "###Warning" and reaches the
// console or the run log is noted here, once (a run-log line echoed to the
// console is one warning). The design control loop and the test-case driver
// clear the list when a new design path starts.
#pragma once

#include <string>
#include <vector>

// Forget the warnings of the previous design.
void DESIGN_WARNINGS_Clear();
// Note `line` when it is a warning line (see above) not noted already;
// trailing blanks are removed. Other lines are ignored.
void DESIGN_WARNINGS_Note(const std::string& line);
// The warnings noted since the last clear, in the order they were written.
const std::vector<std::string>& DESIGN_WARNINGS_List();
