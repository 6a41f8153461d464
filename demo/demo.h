// The demo program's hooks: a screen for each framework facility that the racing
// game does not use.
#pragma once

void DemoStart();
void DemoFrame();
void DemoEnd();
// At process exit, after the shell's shutdown: what the screens hold.
void FreeDemo();

// The screen shown now (0-based), and switching to another (out of range: none).
int CurrentDemoScreen();
void ShowDemoScreen(int index);
int DemoScreenCount();
