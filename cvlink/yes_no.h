#pragma once

namespace cvlink {

// Asks the yes/no question of cvlink until it gets an accepted answer: 1
// for yes, 0 for no (also when the user only presses Enter).
int AskYesOrNo();

}  // namespace cvlink
