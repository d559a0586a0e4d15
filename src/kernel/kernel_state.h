// Resets of the kernel's process-wide state outside the session (used by KernelResetForTests).
#pragma once

namespace tolvi::kernel {

void ResetDrawingState();  // drawing state, open context, font, cursors, help handler
void ResetLibraryState();  // closes every library

}  // namespace tolvi::kernel
