// The game's three hooks, which the program's entry point hands to the shell,
// and the state they share.
#pragma once

#include "game/car.h"
#include "game/course.h"
#include "render/mesh.h"
#include "scene/node.h"

void GameStart();
void GameFrame();
void GameEnd();
// Frees the game's objects (the title, the course, the car); for the end of the
// process, after the shell's shutdown. Nothing of the game may be used after it.
void FreeGame();

// The race frame's key mapping: the car's throttle and steering inputs, and Q.
void MapRaceKeys();
// The selection screen's controls, each true in the frame it is pressed.
bool PreviousCoursePushed();
bool NextCoursePushed();
bool StartRacePushed();

enum GameState { kSelection = 0, kRace = 1 };

extern Mesh& titleMesh;
extern CNode& titleNode;
extern Course& course;
extern Car& car;
extern int courseNumber;  // 1, 2 or 3, kept between races
extern int gameState;     // kSelection or kRace
