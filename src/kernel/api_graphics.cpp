// Drawing, framing, vector font, cursors and help topics. Rendering into a draw sink is not
// built yet: these answer "nothing drawn / nothing framed" so that callers run unchanged.
#include "kernel/kernel.h"

int32_t S_FrameSymbolItems(int32_t, int32_t, FrameRec&) { return 0; }
int32_t S_FrameSymbolEntries(int32_t, int32_t, FrameRec&) { return 0; }
int32_t S_DrawSymbol(int32_t, int32_t, int32_t) { return 0; }
int32_t C_DrawAllComponents(int32_t) { return 0; }
int32_t L_DrawAllComponents(int32_t) { return 0; }
int32_t T_FrameTraceLines(int32_t, int32_t, ExtentRec&) { return 0; }
int32_t T_DrawAllRecords(int32_t, int32_t) { return 0; }
int32_t T_DrawAllTraceMask(int32_t, int32_t) { return 0; }
int32_t T_DrawLayoutAllTexts(int32_t) { return 0; }
int32_t V_DrawAllVias(int32_t) { return 0; }
int32_t J_DrawAllJunctions(int32_t) { return 0; }
int32_t B_FrameBranchLines(int32_t, int32_t, ExtentRec&) { return 0; }
int32_t B_DrawAllRecords(int32_t, int32_t) { return 0; }
int32_t B_DrawAllBranchMask(int32_t, int32_t, int32_t) { return 0; }

int16_t G_VectorFontLoad(const char*) { return 0; }
int32_t G_SelectCur(int32_t) { return 0; }
int32_t G_DelCur(int32_t) { return 0; }
int32_t G_OpenDC(IDrawSink*, DcRec&) { return 0; }
int32_t G_CloseDC() { return 0; }
int32_t G_SetDrawMode(int32_t) { return 0; }
int32_t G_SetColor(int32_t) { return 0; }
int32_t G_SetStyle(int32_t) { return 0; }
int32_t G_SetWidth(int32_t) { return 0; }
int32_t G_SetTextMode(int32_t, int32_t, int32_t) { return 0; }
int32_t G_GetTextSize(int32_t, int32_t, int32_t, TextExtent&) { return 0; }
int32_t G_Text(int32_t, int32_t, const char*) { return 0; }

int32_t H_DispTopic(void*, const char*, int32_t) { return 0; }
