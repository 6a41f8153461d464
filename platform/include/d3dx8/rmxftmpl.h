// The standard retained-mode template declarations, as a .x file to hand to
// IDirectXFile::RegisterTemplates. This build carries them in the text encoding,
// so the byte count is that of the text (without a terminating NUL).
#pragma once

#include "win32/windows.h"

extern const char D3DRM_XTEMPLATES[];
extern const DWORD D3DRM_XTEMPLATE_BYTES;
