// Part and symbol libraries. The library container is not built yet: every library fails to
// open, which callers show as an empty list.
#include "kernel/kernel.h"

int32_t E_OpenLibrary(const char*, const char*, int32_t) { return 0; }
const char* E_GetLibDirName(int32_t, int32_t) { return nullptr; }
int32_t E_OpenLibToRead(int32_t, const char*) { return 0; }
int32_t E_CloseLibrary(int32_t) { return 0; }
int32_t D_LoadDevice(int32_t, int32_t) { return 0; }
int32_t S_LoadSymbol(int32_t, int32_t) { return 0; }
