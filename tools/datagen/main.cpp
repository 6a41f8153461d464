// Generates the game's and the demo's data files into one folder: nol_datagen <folder>.
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "datagen/generators.h"

namespace {

struct Generator {
    const char* what;
    bool (*write)(const std::string& dir);
};

const Generator kGenerators[] = {
    {"env.x", datagen::WriteEnv},
    {"hf_bump7.bmp", datagen::WriteTerrainHeights},
    {"hf_tex72.bmp", datagen::WriteTerrainTexture},
    {"ambient.mid", datagen::WriteAmbientMusic},
    {"car.x", datagen::WriteCar},
    {"objstart.x", datagen::WriteStartGate},
    {"objcheck.x", datagen::WriteCheckGate},
    {"opentitle.x", datagen::WriteTitle},
    {"course1st@5.x", datagen::WriteCourse2Road},
    {"obj1st@3.x", datagen::WriteCourse2Backdrop},
    {"obj1st2@1.x", datagen::WriteTree},
    {"obj1st3@1.x", datagen::WriteStand},
    {"course2nd.x", datagen::WriteCourse3Road},
    {"green2nd.x", datagen::WriteCourse3Grass},
    {"course2ndside.x", datagen::WriteCourse3Side},
    {"demo_windmill_tower.x", datagen::WriteWindmillTower},
    {"demo_windmill_door.x", datagen::WriteWindmillDoor},
    {"demo_windmill_cap.x", datagen::WriteWindmillCap},
    {"demo_windmill_sails.x", datagen::WriteWindmillSails},
    {"demo_windmill_flag.x", datagen::WriteWindmillFlag},
    {"demo_windmill.txt", datagen::WriteWindmillAnimation},
    {"demo_particle.bmp", datagen::WriteParticleSprite},
    {"demo_sun.bmp", datagen::WriteSunTexture},
    {"demo_water.bmp", datagen::WriteWaterTexture},
    {"demo_bell.wav", datagen::WriteBellSound},
    {"demo_engine.wav", datagen::WriteEngineSound},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    mkdir(dir.c_str(), 0755);
    int failed = 0;
    for (const Generator& g : kGenerators) {
        if (!g.write(dir)) {
            std::fprintf(stderr, "nol_datagen: %s could not be written\n", g.what);
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
