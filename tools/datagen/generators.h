// The generators of the game's and the demo's data files. Each writes its files into the given
// folder and returns false (after saying why on standard error) when it cannot.
// Everything is made from code, the same bytes on every run.
#pragma once

#include <string>

namespace datagen {

bool WriteEnv(const std::string& dir);  // env.x
bool WriteTerrainHeights(const std::string& dir);  // hf_bump7.bmp
bool WriteTerrainTexture(const std::string& dir);  // hf_tex72.bmp
bool WriteAmbientMusic(const std::string& dir);    // ambient.mid
bool WriteCar(const std::string& dir);         // car.x
bool WriteStartGate(const std::string& dir);   // objstart.x
bool WriteCheckGate(const std::string& dir);   // objcheck.x
bool WriteTitle(const std::string& dir);       // opentitle.x
bool WriteCourse2Road(const std::string& dir);      // course1st@5.x
bool WriteCourse2Backdrop(const std::string& dir);  // obj1st@3.x
bool WriteTree(const std::string& dir);             // obj1st2@1.x
bool WriteStand(const std::string& dir);            // obj1st3@1.x
bool WriteCourse3Road(const std::string& dir);      // course2nd.x
bool WriteCourse3Grass(const std::string& dir);     // green2nd.x
bool WriteCourse3Side(const std::string& dir);      // course2ndside.x

// The demo program's data.
bool WriteWindmillTower(const std::string& dir);      // demo_windmill_tower.x
bool WriteWindmillDoor(const std::string& dir);       // demo_windmill_door.x
bool WriteWindmillCap(const std::string& dir);        // demo_windmill_cap.x
bool WriteWindmillSails(const std::string& dir);      // demo_windmill_sails.x
bool WriteWindmillFlag(const std::string& dir);       // demo_windmill_flag.x
bool WriteWindmillAnimation(const std::string& dir);  // demo_windmill.txt
bool WriteParticleSprite(const std::string& dir);     // demo_particle.bmp
bool WriteSunTexture(const std::string& dir);         // demo_sun.bmp
bool WriteWaterTexture(const std::string& dir);       // demo_water.bmp
bool WriteBellSound(const std::string& dir);          // demo_bell.wav
bool WriteEngineSound(const std::string& dir);        // demo_engine.wav

}  // namespace datagen
