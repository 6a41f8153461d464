// The system's open and save file dialogs with one file type.
#pragma once

// Shows the dialog over the main window and waits for the user. Nonzero when a
// file was chosen: its full path is then in file (size bytes, CP932). 0 when the
// user cancelled, when the path does not fit, and when the description and
// extension are too long for the filter (logged). The extension is given without
// its dot ("txt"); it is added to a name typed without one, and a save asks before
// it replaces a file.
//
// The main window keeps the picture it was showing; called between frames (before
// BeginFrame) that is the last frame presented.
int FileDialog(char* file, int size, const char* description, const char* extension, int save);
