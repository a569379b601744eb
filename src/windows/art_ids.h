// Ids of Keyvane's own artwork (art.rc): icons 200-299, bitmaps 300-399.
// The pictures are drawn by scripts/make_art.py into res/.
#pragma once

// Button glyphs: 32-bit icons at 16, 20, 24 and 32 pixels, one per DPI step.
#define IDI_ADD 200
#define IDI_EDIT 201
#define IDI_DELETE 202
#define IDI_DELETEALL 203
#define IDI_MOVEDOWN 204
#define IDI_MOVEUP 205
#define IDI_SAVE 206
#define IDI_IMPORT 207
#define IDI_BROWSE 208
#define IDI_OK 209
#define IDI_CLOSE 210

// Marker in the grid's Hotkey cell for a hotkey that cannot work (16-32 pixels).
#define IDI_HOTKEYWARNING 211

// The About box's product picture as an icon (64, 96, 128 pixels) for high DPI.
#define IDI_ABOUT 212

// Built-in task pictures, 24-bit on white: reboot and hibernate 31 by 31
// (hibernate also serves stand by), minimize-all, type text and send keys
// 32 by 32.
#define IDB_REBOOT 300
#define IDB_HIBERNATE 301
#define IDB_MINIMIZEALL 302
#define IDB_TYPETEXT 304
#define IDB_SENDKEYS 305

// The About box's product picture, 128 by 128, 24-bit on the dialog's grey (240, 240, 240).
#define IDB_ABOUT 303
