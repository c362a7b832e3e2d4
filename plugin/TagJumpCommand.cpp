#include "plugin/TagJumpCommand.h"

namespace velkin {

void TagJumpCommand(HWND /*hostWindow*/) {}

}  // namespace velkin
