// GDI, as far as text rendered into memory is concerned: memory device contexts,
// fonts, 32-bit DIB sections and DrawTextA.
//
// Glyphs come from the same FreeType faces as the D3DX font, so a string drawn
// with either looks the same. Text is CP932 (Shift-JIS), converted to Unicode
// before it is drawn.
#pragma once

#include "win32/windows.h"

struct HFONT__;
struct HBITMAP__;
typedef HFONT__* HFONT;
typedef HBITMAP__* HBITMAP;
typedef DWORD COLORREF;
#define CLR_INVALID 0xFFFFFFFF

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | (((WORD)(BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)((c) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))

// ---- fonts ------------------------------------------------------------------
#define LF_FACESIZE 32
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SHIFTJIS_CHARSET 128
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700

struct LOGFONTA {
    LONG lfHeight;  // > 0: cell height; < 0: character height (em); 0: a default size
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];  // CP932, zero-terminated
};
typedef LOGFONTA LOGFONT;
typedef LOGFONTA* LPLOGFONTA;
typedef LOGFONTA* LPLOGFONT;

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                  DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName);
HFONT CreateFontIndirectA(const LOGFONTA* font);

// ---- device contexts ----------------------------------------------------------
#define NONANTIALIASED_QUALITY 3  // lfQuality: solid glyphs, no grey edges
#define MM_TEXT 1
#define TRANSPARENT 1
#define OPAQUE 2

HDC CreateCompatibleDC(HDC dc);  // a memory context; dc may be null (the screen)
BOOL DeleteDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);  // a font or a bitmap; returns the previous one
BOOL DeleteObject(HGDIOBJ object);
int SetMapMode(HDC dc, int mode);              // MM_TEXT only
int SetBkMode(HDC dc, int mode);              // OPAQUE (the default) paints white behind each line
COLORREF SetTextColor(HDC dc, COLORREF colour);

// ---- DIB sections ---------------------------------------------------------------
#define BI_RGB 0
#define DIB_RGB_COLORS 0

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // negative: top-down rows
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

// Pixels are 0x00RRGGBB words in rows of width × 4 bytes; *bits receives them.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                         HANDLE section, DWORD offset);

// ---- DrawTextA ------------------------------------------------------------------
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800

// Draws count bytes of text (-1: up to the terminator) into rect in the selected
// font and text colour; returns the height of the text, 0 on failure. With
// DT_CALCRECT nothing is drawn and rect's right and bottom are set to fit it.
int DrawTextA(HDC dc, LPCSTR text, int count, LPRECT rect, UINT format);
