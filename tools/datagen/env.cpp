// env.x: loaded by every course and never drawn, so a small valid model: one
// unit cube.
#include "datagen/generators.h"
#include "datagen/model.h"

namespace datagen {

bool WriteEnv(const std::string& dir) {
    Model model;
    int grey = model.AddMaterial({{0.5f, 0.5f, 0.5f, 1.0f}});
    model.AddBox(grey, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f});
    return model.Write(dir + "/env.x", "env");
}

}  // namespace datagen
